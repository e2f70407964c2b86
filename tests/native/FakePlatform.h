#pragma once
// An in-memory platform for the core's unit tests: registry, file tree, environment,
// version resources, and a recorder of message boxes and help-engine calls. Setters
// chain, so a test states its world in one expression:
//
//   FakePlatform fake;
//   fake.AddFile("C:\\Help\\Library.chm").ListHelpFile("Library.chm", "C:\\Help\\");
//
// A fresh fake reports Windows 7 (NT 6.1), has its library in C:\Program Files\Morvel,
// runs in C:\Work, and knows SystemRoot=C:\Windows. The fake keeps every name as the
// real platform does, in Unicode; the set-up and inspection functions take and give it as
// UTF-8 (plain ASCII in most tests). Its ANSI code page is FakeAnsi.h's: an ANSI call is
// decoded through it, so a careless conversion shows as a wrong name.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "FakeAnsi.h"
#include "htmlhelp/HtmlHelpPort.h"

namespace morvel::htmlhelp {

class FakePlatform : public HtmlHelpPort {
public:
    FakePlatform();

    FakeCodePage codePage = FakeCodePage::Latin1;

    // ---------------------------------------------------------------- registry
    // Text data is kept as the registry keeps it, UTF-16 little-endian.
    struct Value {
        std::uint32_t type = REG_SZ_;
        std::vector<std::uint8_t> data;
    };
    // Keys and their parents are created as needed; paths and value names are matched
    // without regard to letter case. A read-only key refuses every write access.
    FakePlatform& AddKey(RegKey root, const std::string& path, bool readOnly = false);
    FakePlatform& SetReadOnly(RegKey root, const std::string& path, bool readOnly = true);
    FakePlatform& SetValue(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
                           std::vector<std::uint8_t> data);
    FakePlatform& SetString(RegKey root, const std::string& path, const std::string& name, const std::string& text,
                            bool withNul = true);
    FakePlatform& SetExpandString(RegKey root, const std::string& path, const std::string& name,
                                  const std::string& text);
    FakePlatform& SetDword(RegKey root, const std::string& path, const std::string& name, std::uint32_t number);
    // An entry of the HTML Help file list; view32 puts it in the 32-bit view's list.
    FakePlatform& ListHelpFile(const std::string& name, const std::string& folder, bool view32 = false);

    bool KeyExists(RegKey root, const std::string& path) const;
    std::optional<Value> GetValue(RegKey root, const std::string& path, const std::string& name) const;
    // The data of a text value up to its first NUL, in UTF-8.
    std::optional<std::string> StringValue(RegKey root, const std::string& path, const std::string& name) const;
    std::optional<std::string> ListedFolder(const std::string& name, bool view32 = false) const;
    // Every value of a key in enumeration order; none when the key does not exist.
    std::vector<std::pair<std::string, Value>> Values(RegKey root, const std::string& path) const;
    std::size_t OpenKeyCount() const { return openKeys_.size(); }
    // Deletes a key and what is below it; keys opened on it answer ERROR_KEY_DELETED from then on.
    FakePlatform& DeleteKey(RegKey root, const std::string& path);
    // The system clock in 100 ns ticks; each reading moves it on by clockStep, and every
    // change to a key's values stamps the key with the time of the last reading, as a
    // coarse clock would. The default step makes every index old enough to keep.
    std::uint64_t systemTime = 0x01D0000000000000;
    std::uint64_t clockStep = 100'000'000;  // ten seconds
    // A 64-bit machine: KEY_WOW64_32KEY_ opens HKLM\Software\... at
    // HKLM\Software\WOW6432Node\..., as Windows keeps the 32-bit view; without the flag, or
    // with KEY_WOW64_64KEY_, the fake is a 64-bit process. false: one view, flags ignored.
    bool twoRegistryViews = false;

    // ---------------------------------------------------------------- files
    // Parent folders are created as needed. shortName is the 8.3 alias of the last
    // component, accepted wherever the long name is.
    FakePlatform& AddFile(const std::string& path, const std::string& shortName = {});
    FakePlatform& AddFolder(const std::string& path, const std::string& shortName = {});
    FakePlatform& RemoveFile(const std::string& path);
    bool FileExists(const std::string& path) const;
    bool wildcards = true;  // '*' and '?' in the last component of a search
    // Searched path (any letter case) -> the error FindFirstFile fails with for it.
    std::map<std::string, long> findFailsWith;
    // Path (any letter case) -> the bytes ReadFile finds there. A path with ":name" after
    // the file's name is that stream of the file ("C:\\Help\\Demo.chm:Zone.Identifier").
    std::map<std::string, std::string> fileData;

    // ---------------------------------------------------------------- system
    FakePlatform& SetWindows(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor);
    FakePlatform& SetEnv(const std::string& name, const std::string& value);
    // A version resource of resourceSize bytes whose root block holds a.b.c.d.
    FakePlatform& SetFileVersion(const std::string& path, std::uint16_t a, std::uint16_t b, std::uint16_t c,
                                 std::uint16_t d, std::uint32_t resourceSize = 1024);
    // A version resource whose root block cannot be queried.
    FakePlatform& SetVersionResourceWithoutRoot(const std::string& path, std::uint32_t resourceSize = 1024);

    OsVersion os;
    bool versionQueryFails = false;
    std::optional<std::u16string> moduleFolder = u"C:\\Program Files\\Morvel";  // nullopt: the query throws
    std::optional<std::u16string> currentFolder = u"C:\\Work";                  // nullopt: the query throws
    std::map<std::int32_t, std::u16string> resources;
    CursorPos cursor;
    std::int32_t messageBoxResult = 1;
    bool engineAvailable = true;      // false: HtmlHelp calls nothing, as with no hhctrl.ocx (last error 126)
    std::size_t refuseHelpCalls = 0;  // the next n HtmlHelp calls fail as if the engine were missing
    // Entry point name -> status it returns instead of doing anything. For entry points
    // that return no status, being listed means failing (0, nullopt or false).
    std::map<std::string, long> failWith;
    // One injected fault: the registry, file or version call with this index (counting
    // every such call from 0) fails with injectedStatus, or, with injectShortRead, reads
    // less than there is (a value's data or a version resource cut in half; calls that
    // read no data then go through unharmed).
    std::optional<std::size_t> injectAt;
    long injectedStatus = ERROR_ACCESS_DENIED_;
    bool injectShortRead = false;
    std::size_t injectableCalls = 0;  // registry, file and version calls made so far
    std::string injectedInto;         // the entry point the fault hit, once it has

    // ---------------------------------------------------------------- compiled help
    // The file at path (added to the file tree too) opens as compiled-help storage with
    // these streams (paths from the root, "/intro.htm"). A file added without streams
    // fails to open, as a file that is no compiled help file does.
    FakePlatform& AddCompiledHelp(const std::string& path, std::map<std::u16string, std::string> streams);
    std::uint64_t helpWindow = 0x10010;  // what an engine call that worked returns
    // Root (N: or \\server\share, any case) -> what GetDriveType says of it; other
    // drive letters are fixed, other shares remote.
    std::map<std::string, std::uint32_t> driveTypes;
    bool debuggerPresent = true;  // IsDebuggerPresent
    // URL -> the zone MapUrlToZone maps it to; any other URL, the platform cannot tell.
    std::map<std::u16string, std::uint32_t> urlZones;

    // ---------------------------------------------------------------- recorded
    std::vector<std::u16string> debugLines;  // OutputDebugString
    std::vector<MessageBoxRequest> messageBoxes;
    std::vector<std::string> MessageTexts() const;  // the boxes' texts, in UTF-8
    std::vector<HelpCall> helpCalls;
    struct WindowProcCall {
        std::uint32_t hwnd, message, wParam;
        std::int32_t lParam;
    };
    std::vector<WindowProcCall> windowProcCalls;
    std::vector<std::string> calls;  // entry point names in call order
    std::size_t CallCount(const std::string& entry) const;
    // Buffers the code under test offered, in call order.
    std::vector<std::uint32_t> enumNameCapacities, expandCapacities, longPathCapacities, versionBlockSizes;

    // ---------------------------------------------------------------- the port
    long RegOpenKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened) override;
    long RegEnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::u16string& name,
                      std::uint32_t& type, std::uint32_t& dataSize) override;
    long RegQueryValueEx(RegKey key, const std::u16string& name, std::uint32_t& type,
                         std::vector<std::uint8_t>& data) override;
    long RegCreateKeyEx(RegKey root, const PlatformText& path, std::uint32_t access, RegKey& opened) override;
    long RegSetValueEx(RegKey key, const PlatformText& name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data) override;
    long RegDeleteValue(RegKey key, const PlatformText& name) override;
    long RegCloseKey(RegKey key) override;
    long RegQueryInfoKey(RegKey key, std::uint32_t& values, std::uint64_t& lastWriteTime) override;
    bool HasTwoRegistryViews() override;
    std::uint64_t GetSystemTimeAsFileTime() override;
    std::uint32_t ExpandEnvironmentStrings(const std::u16string& source, std::u16string& destination,
                                           std::uint32_t capacity) override;
    bool GetVersionEx(OsVersion& info) override;
    std::uint32_t GetLongPathName(const std::u16string& shortPath, std::u16string& longPath,
                                  std::uint32_t capacity) override;
    std::optional<std::u16string> FindFirstFile(const std::u16string& pattern) override;
    long ReadFile(const std::u16string& path, std::uint32_t limit, std::vector<std::uint8_t>& data) override;
    std::uint32_t GetFileVersionInfoSize(const PlatformText& path) override;
    bool GetFileVersionInfo(const PlatformText& path, std::vector<std::uint8_t>& block) override;
    std::optional<FileVersion> VerQueryRoot(const std::vector<std::uint8_t>& block) override;
    std::int32_t MessageBoxIndirect(const MessageBoxRequest& request) override;
    CursorPos GetCursorPos() override;
    void DefWindowProc(std::uint32_t hwnd, std::uint32_t message, std::uint32_t wParam, std::int32_t lParam) override;
    bool HtmlHelp(const HelpCall& call) override;
    bool LoadHelpEngine() override;
    std::uint64_t LastHelpWindow() const override { return lastHelpWindow_; }
    long ListCompiledHelp(const std::u16string& file, std::vector<std::u16string>& streams) override;
    long ReadCompiledHelpStream(const std::u16string& file, const std::u16string& stream,
                                std::vector<std::uint8_t>& data) override;
    std::optional<std::uint32_t> MapUrlToZone(const std::u16string& url) override;
    std::uint32_t GetDriveType(const std::u16string& root) override;
    void OutputDebugString(const std::u16string& line) override { debugLines.push_back(line); }
    bool IsDebuggerPresent() override { return debuggerPresent; }
    std::optional<std::string> ToAnsi(const std::u16string& text) override;
    std::u16string FromAnsi(const std::string& text) override;
    // Code pages 1252, 1251 and 65001 as the fake's code pages spell them; others as the ANSI one.
    std::u16string FromCodePage(const std::string& text, std::uint32_t codePage) override;
    std::uint32_t CodePageOfLocale(std::uint32_t lcid) override;
    // Letter case of ASCII does not count, and a soft hyphen (0xAD) is ignored, as the
    // platform ignores it.
    int CompareNoCase(const std::u16string& a, const std::u16string& b) override;
    // The ASCII upper case of the text: it agrees with CompareNoCase on printable ASCII and,
    // on purpose, not beyond (a soft hyphen stays), so that code trusting sort keys further
    // than the platform's are known to agree gets caught.
    std::optional<std::string> LCMapString(const std::u16string& text) override;
    std::u16string ModuleFolder() override;
    std::u16string CurrentFolder() override;
    std::u16string LoadResString(std::int32_t id) override;
    std::uint32_t LastError() const override { return lastError_; }

    static std::string Upper(std::string text);
    // What the platform makes of a text an entry point received: an ANSI one is read in
    // the code page. UTF-8, as the fake keeps names.
    std::string Received(const PlatformText& text) const;

private:
    struct Key {
        bool readOnly = false;
        std::uint64_t lastWriteTime = 0;
        std::vector<std::pair<std::string, Value>> values;    // enumeration order
        std::map<std::string, std::unique_ptr<Key>> subkeys;  // by upper-case name

        Key() = default;
        Key(const Key&) = delete;
        Key& operator=(const Key&) = delete;
        // Takes a tree of any depth apart without recursion (tests build 20,000 levels):
        // every key below is detached into one list, then freed childless.
        ~Key()
        {
            std::vector<std::unique_ptr<Key>> detached;
            auto detach = [&detached](Key& key) {
                for (auto& [name, child] : key.subkeys) detached.push_back(std::move(child));
                key.subkeys.clear();
            };
            detach(*this);
            for (std::size_t i = 0; i < detached.size(); ++i) detach(*detached[i]);
        }
    };
    struct OpenKey {
        RegKey root;
        std::string path;  // upper case
        std::uint32_t access;
        const Key* key;  // the key opened, to tell a deleted one from a new key at the same path
    };
    struct Entry {
        std::string path;  // as added
        std::string shortName;
        bool folder = false;
    };
    struct VersionResource {
        std::optional<FileVersion> root;
        std::uint32_t size = 0;
    };

    bool Begin(const std::string& entry, long& status);
    bool shortReadNow_ = false;  // the current call is the one to read short
    Key* FindKey(RegKey root, const std::string& path);
    const Key* FindKey(RegKey root, const std::string& path) const;
    Key& MakeKey(RegKey root, const std::string& path);
    Key* WalkKey(RegKey root, const std::string& path, bool create, Key** nearest);
    long findKey(RegKey key, std::uint32_t neededAccess, Key*& found);
    RegKey NewHandle(RegKey root, const std::string& path, std::uint32_t access);
    std::string InView(RegKey root, const std::string& path, std::uint32_t access) const;

    std::string Absolute(const std::string& path) const;
    const Entry* Resolve(const std::string& path) const;  // by long or short names
    const Entry* Child(const std::string& parentUpper, const std::string& component, bool allowWildcards) const;
    FakePlatform& AddEntry(const std::string& path, const std::string& shortName, bool folder);

    std::map<RegKey, Key> roots_;  // the predefined keys and, below them, the tree of keys
    std::map<RegKey, OpenKey> openKeys_;
    RegKey nextHandle_ = 0x100;
    std::map<std::string, Entry> entries_;                                    // by upper-case full path
    std::map<std::string, std::pair<std::string, std::string>> environment_;  // upper name -> (name, value)
    std::map<std::string, VersionResource> versions_;                         // by upper-case path
    std::uint32_t lastError_ = 0;
    std::uint64_t lastHelpWindow_ = 0;
    std::map<std::string, std::map<std::u16string, std::string>> compiledHelp_;  // by upper-case path
    std::vector<std::unique_ptr<Key>> deletedKeys_;  // kept, so that handles on them stay unique
};

}  // namespace morvel::htmlhelp
