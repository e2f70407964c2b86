#include "FakePlatform.h"

#include <algorithm>

#include "portable/AutomationError.h"
#include "FakeAnsi.h"

namespace morvel::htmlhelp {

namespace {

constexpr long ERROR_INVALID_HANDLE_ = 6;
constexpr char16_t SoftHyphen = 0x00AD;
constexpr long ERROR_INSUFFICIENT_BUFFER_ = 122;
// KEY_READ and the WOW64 view flags; any other bit asks for a write.
constexpr std::uint32_t ReadAccess = 0x20019 | 0x0100 | 0x0200;

std::string ListKeyPath(bool view32)
{
    return view32 ? "Software\\WOW6432Node\\Microsoft\\Windows\\HTML Help" : "Software\\Microsoft\\Windows\\HTML Help";
}

bool IsRoot(RegKey key) { return key >= 0x80000000u && key <= 0x80000006u; }

// '*' matches any run of characters, '?' any one. Two pointers with a return to the last
// star: a later star supersedes an earlier one, so no input makes this backtrack more
// than pattern length times text length.
bool Glob(const char* pattern, const char* text)
{
    const char* star = nullptr;    // the last '*' seen
    const char* resume = nullptr;  // where the text resumes when that star takes one more character
    while (*text) {
        if (*pattern == '*') {
            star = pattern++;
            resume = text;
        } else if (*pattern && (*pattern == '?' || *pattern == *text)) {
            ++pattern;
            ++text;
        } else if (star) {
            pattern = star + 1;
            text = ++resume;
        } else {
            return false;
        }
    }
    while (*pattern == '*') ++pattern;
    return !*pattern;
}

struct SplitPath {
    std::string root;  // "C:" or "\\server\share"
    std::vector<std::string> components;
};

SplitPath Split(const std::string& absolute)
{
    SplitPath split;
    std::string rest;
    if (absolute.size() >= 2 && absolute[0] == '\\' && absolute[1] == '\\') {
        const auto server = absolute.find('\\', 2);
        const auto share = server == std::string::npos ? server : absolute.find('\\', server + 1);
        split.root = absolute.substr(0, share);
        if (share != std::string::npos) rest = absolute.substr(share + 1);
    } else {
        split.root = absolute.substr(0, 2);
        if (absolute.size() > 3)
            rest = absolute.substr(3);
        else if (absolute.size() == 3)
            split.components.push_back("");  // "C:\": root with a trailing backslash
        if (absolute.size() <= 3) return split;
    }
    if (rest.empty() && absolute.back() != '\\') return split;
    std::size_t start = 0;
    for (;;) {
        const auto slash = rest.find('\\', start);
        split.components.push_back(rest.substr(start, slash - start));
        if (slash == std::string::npos) break;
        start = slash + 1;
    }
    return split;
}

std::string LastComponent(const std::string& path) { return path.substr(path.rfind('\\') + 1); }
std::string ParentOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

}  // namespace

FakePlatform::FakePlatform()
{
    os = {6, 1, 2};
    for (RegKey root : {HKEY_CLASSES_ROOT_, HKEY_CURRENT_USER_, HKEY_LOCAL_MACHINE_, HKEY_USERS_, HKEY_CURRENT_CONFIG_,
                        HKEY_DYN_DATA_})
        roots_[root];
    SetEnv("SystemRoot", "C:\\Windows");
}

std::string FakePlatform::Upper(std::string text)
{
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return text;
}

std::string FakePlatform::Received(const PlatformText& text) const
{
    return utf8(text.isWide() ? text.text() : fakeFromAnsi(text.bytes(), codePage));
}

namespace {
std::vector<std::uint8_t> Utf16Data(const std::u16string& text)
{
    std::vector<std::uint8_t> data;
    for (char16_t c : text) {
        data.push_back(std::uint8_t(c & 0xFF));
        data.push_back(std::uint8_t(c >> 8));
    }
    return data;
}
}  // namespace

std::vector<std::string> FakePlatform::MessageTexts() const
{
    std::vector<std::string> texts;
    for (const auto& box : messageBoxes) texts.push_back(utf8(box.text.text()));
    return texts;
}

std::size_t FakePlatform::CallCount(const std::string& entry) const
{
    return std::size_t(std::count(calls.begin(), calls.end(), entry));
}

bool FakePlatform::Begin(const std::string& entry, long& status)
{
    calls.push_back(entry);
    shortReadNow_ = false;
    if (entry != "MessageBoxIndirect" && entry != "HtmlHelp" && entry != "GetVersionEx") {
        const std::size_t index = injectableCalls++;
        if (injectAt && index == *injectAt) {
            injectedInto = entry;
            if (injectShortRead) {
                shortReadNow_ = true;
            } else {
                status = injectedStatus;
                lastError_ = std::uint32_t(status);
                return false;
            }
        }
    }
    const auto failure = failWith.find(entry);
    if (failure == failWith.end()) return true;
    status = failure->second;
    lastError_ = std::uint32_t(status);
    return false;
}

// ------------------------------------------------------------------------ registry set-up

// Keys form a tree by the components of their upper-case paths, so finding or making a
// key costs the length of its path. The empty path is the root itself; the root's child
// named "" therefore names no key of its own and only leads on to the paths that begin
// with a backslash, whose nearest ancestor is the root.
FakePlatform::Key* FakePlatform::WalkKey(RegKey root, const std::string& path, bool create, Key** nearest)
{
    const auto top = roots_.find(root);
    if (top == roots_.end()) return nullptr;
    Key* key = &top->second;
    if (nearest) *nearest = key;
    if (path.empty()) return key;
    const std::string upper = Upper(path);
    for (std::size_t start = 0;;) {
        const auto slash = upper.find('\\', start);
        std::string name = upper.substr(start, slash == std::string::npos ? slash : slash - start);
        const bool leadsFromRoot = key == &top->second && name.empty();
        auto child = key->subkeys.find(name);
        if (child == key->subkeys.end()) {
            if (!create) return nullptr;
            child = key->subkeys.emplace(std::move(name), std::make_unique<Key>()).first;
        }
        key = child->second.get();
        if (nearest && !leadsFromRoot) *nearest = key;
        if (slash == std::string::npos) return key;
        start = slash + 1;
    }
}

FakePlatform::Key* FakePlatform::FindKey(RegKey root, const std::string& path)
{
    return WalkKey(root, path, false, nullptr);
}

const FakePlatform::Key* FakePlatform::FindKey(RegKey root, const std::string& path) const
{
    return const_cast<FakePlatform*>(this)->WalkKey(root, path, false, nullptr);
}

FakePlatform::Key& FakePlatform::MakeKey(RegKey root, const std::string& path)
{
    return *WalkKey(root, path, true, nullptr);
}

FakePlatform& FakePlatform::AddKey(RegKey root, const std::string& path, bool readOnly)
{
    MakeKey(root, path).readOnly = readOnly;
    return *this;
}

FakePlatform& FakePlatform::SetReadOnly(RegKey root, const std::string& path, bool readOnly)
{
    return AddKey(root, path, readOnly);
}

FakePlatform& FakePlatform::SetValue(RegKey root, const std::string& path, const std::string& name, std::uint32_t type,
                                     std::vector<std::uint8_t> data)
{
    Key& key = MakeKey(root, path);
    key.lastWriteTime = systemTime;
    for (auto& [stored, value] : key.values) {
        if (Upper(stored) == Upper(name)) {
            value = {type, std::move(data)};
            return *this;
        }
    }
    key.values.push_back({name, {type, std::move(data)}});
    return *this;
}

FakePlatform& FakePlatform::SetString(RegKey root, const std::string& path, const std::string& name,
                                      const std::string& text, bool withNul)
{
    return SetValue(root, path, name, REG_SZ_, Utf16Data(fromUtf8(text) + std::u16string(withNul ? 1 : 0, u'\0')));
}

FakePlatform& FakePlatform::SetExpandString(RegKey root, const std::string& path, const std::string& name,
                                            const std::string& text)
{
    return SetValue(root, path, name, REG_EXPAND_SZ_, Utf16Data(fromUtf8(text) + u'\0'));
}

FakePlatform& FakePlatform::SetDword(RegKey root, const std::string& path, const std::string& name,
                                     std::uint32_t number)
{
    return SetValue(
        root, path, name, REG_DWORD_,
        {std::uint8_t(number), std::uint8_t(number >> 8), std::uint8_t(number >> 16), std::uint8_t(number >> 24)});
}

FakePlatform& FakePlatform::ListHelpFile(const std::string& name, const std::string& folder, bool view32)
{
    return SetString(HKEY_LOCAL_MACHINE_, ListKeyPath(view32), name, folder);
}

bool FakePlatform::KeyExists(RegKey root, const std::string& path) const { return FindKey(root, path) != nullptr; }

FakePlatform& FakePlatform::DeleteKey(RegKey root, const std::string& path)
{
    const auto slash = path.rfind('\\');
    Key* parent = slash == std::string::npos ? FindKey(root, "") : FindKey(root, path.substr(0, slash));
    if (!parent) return *this;
    const auto child = parent->subkeys.find(Upper(slash == std::string::npos ? path : path.substr(slash + 1)));
    if (child == parent->subkeys.end()) return *this;
    deletedKeys_.push_back(std::move(child->second));
    parent->subkeys.erase(child);
    return *this;
}

std::optional<FakePlatform::Value> FakePlatform::GetValue(RegKey root, const std::string& path,
                                                          const std::string& name) const
{
    const Key* key = FindKey(root, path);
    if (!key) return std::nullopt;
    for (const auto& [stored, value] : key->values)
        if (Upper(stored) == Upper(name)) return value;
    return std::nullopt;
}

std::optional<std::string> FakePlatform::StringValue(RegKey root, const std::string& path,
                                                     const std::string& name) const
{
    const auto value = GetValue(root, path, name);
    if (!value) return std::nullopt;
    std::u16string text;
    for (std::size_t i = 0; i + 1 < value->data.size(); i += 2)
        text += char16_t(value->data[i] | value->data[i + 1] << 8);
    return utf8(text.substr(0, text.find(u'\0')));
}

std::optional<std::string> FakePlatform::ListedFolder(const std::string& name, bool view32) const
{
    return StringValue(HKEY_LOCAL_MACHINE_, ListKeyPath(view32), name);
}

std::vector<std::pair<std::string, FakePlatform::Value>> FakePlatform::Values(RegKey root,
                                                                              const std::string& path) const
{
    const Key* key = FindKey(root, path);
    return key ? key->values : std::vector<std::pair<std::string, Value>>{};
}

// ------------------------------------------------------------------------ registry port

RegKey FakePlatform::NewHandle(RegKey root, const std::string& path, std::uint32_t access)
{
    const RegKey handle = nextHandle_++;
    openKeys_[handle] = {root, Upper(path), access, FindKey(root, path)};
    return handle;
}

std::string FakePlatform::InView(RegKey root, const std::string& path, std::uint32_t access) const
{
    const std::string upper = Upper(path);
    if (!twoRegistryViews || !(access & KEY_WOW64_32KEY_) || root != HKEY_LOCAL_MACHINE_ ||
        (upper != "SOFTWARE" && upper.rfind("SOFTWARE\\", 0) != 0))
        return path;
    return path.substr(0, 8) + "\\WOW6432Node" + path.substr(8);
}

long FakePlatform::findKey(RegKey key, std::uint32_t neededAccess, Key*& found)
{
    if (IsRoot(key)) {
        found = FindKey(key, "");
        return ERROR_SUCCESS_;
    }
    const auto open = openKeys_.find(key);
    if (open == openKeys_.end()) return ERROR_INVALID_HANDLE_;
    if ((open->second.access & neededAccess) != neededAccess) return ERROR_ACCESS_DENIED_;
    found = FindKey(open->second.root, open->second.path);
    // A handle stays on the key it opened: once that key is deleted, a new one at the same
    // path is not it.
    if (found != open->second.key) return ERROR_KEY_DELETED_;
    return ERROR_SUCCESS_;
}

long FakePlatform::RegOpenKeyEx(RegKey root, const PlatformText& received, std::uint32_t access, RegKey& opened)
{
    const std::string path = InView(root, Received(received), access);
    opened = 0;
    long status = ERROR_SUCCESS_;
    if (!Begin("RegOpenKeyEx", status)) return status;
    const Key* key = IsRoot(root) ? FindKey(root, path) : nullptr;
    if (!IsRoot(root))
        status = ERROR_INVALID_HANDLE_;
    else if (!key)
        status = ERROR_FILE_NOT_FOUND_;
    else if (key->readOnly && (access & ~ReadAccess))
        status = ERROR_ACCESS_DENIED_;
    else
        opened = NewHandle(root, path, access);
    lastError_ = std::uint32_t(status);
    return status;
}

long FakePlatform::RegEnumValue(RegKey key, std::uint32_t index, std::uint32_t nameCapacity, std::u16string& name,
                                std::uint32_t& type, std::uint32_t& dataSize)
{
    long status = ERROR_SUCCESS_;
    if (!Begin("RegEnumValue", status)) return status;
    enumNameCapacities.push_back(nameCapacity);
    Key* found = nullptr;
    status = findKey(key, KEY_QUERY_VALUE_, found);
    if (status == ERROR_SUCCESS_) {
        if (index >= found->values.size()) {
            status = ERROR_NO_MORE_ITEMS_;
        } else {
            const auto& [stored, value] = found->values[index];
            const std::u16string wide = fromUtf8(stored);
            if (wide.size() + 1 > nameCapacity) {
                status = ERROR_MORE_DATA_;
            } else {
                name = wide;
                type = value.type;
                dataSize = std::uint32_t(value.data.size());
                if (shortReadNow_) dataSize /= 2;
            }
        }
    }
    lastError_ = std::uint32_t(status);
    return status;
}

long FakePlatform::RegQueryValueEx(RegKey key, const std::u16string& wideName, std::uint32_t& type,
                                   std::vector<std::uint8_t>& data)
{
    const std::string name = utf8(wideName);
    long status = ERROR_SUCCESS_;
    if (!Begin("RegQueryValueEx", status)) return status;
    Key* found = nullptr;
    status = findKey(key, KEY_QUERY_VALUE_, found);
    if (status == ERROR_SUCCESS_) {
        status = ERROR_FILE_NOT_FOUND_;
        for (const auto& [stored, value] : found->values) {
            if (Upper(stored) != Upper(name)) continue;
            status = data.size() < value.data.size() ? ERROR_MORE_DATA_ : ERROR_SUCCESS_;
            if (status == ERROR_SUCCESS_) {
                data = value.data;
                type = value.type;
                if (shortReadNow_) data.resize(data.size() / 2);
            }
            break;
        }
    }
    lastError_ = std::uint32_t(status);
    return status;
}

long FakePlatform::RegCreateKeyEx(RegKey root, const PlatformText& received, std::uint32_t access, RegKey& opened)
{
    const std::string path = InView(root, Received(received), access);
    opened = 0;
    long status = ERROR_SUCCESS_;
    if (!Begin("RegCreateKeyEx", status)) return status;
    if (!IsRoot(root)) {
        status = ERROR_INVALID_HANDLE_;
    } else {
        // An existing key answers for itself; a new one is refused when its nearest
        // existing ancestor is read-only.
        Key* nearest = nullptr;
        const bool isNew = WalkKey(root, path, false, &nearest) == nullptr;
        if (nearest->readOnly && (isNew || (access & ~ReadAccess)))
            status = ERROR_ACCESS_DENIED_;
        else {
            MakeKey(root, path);
            opened = NewHandle(root, path, access);
        }
    }
    lastError_ = std::uint32_t(status);
    return status;
}

long FakePlatform::RegSetValueEx(RegKey key, const PlatformText& received, std::uint32_t type,
                                 const std::vector<std::uint8_t>& given)
{
    const std::string name = Received(received);
    // The ANSI entry point stores text data as the registry keeps it, read in the code page.
    const bool text = type == REG_SZ_ || type == REG_EXPAND_SZ_;
    const std::vector<std::uint8_t> data = text && !received.isWide()
                                               ? Utf16Data(
                                                     fakeFromAnsi(std::string(given.begin(), given.end()), codePage))
                                               : given;
    long status = ERROR_SUCCESS_;
    if (!Begin("RegSetValueEx", status)) return status;
    Key* found = nullptr;
    status = findKey(key, KEY_SET_VALUE_, found);
    if (status == ERROR_SUCCESS_) {
        auto it = std::find_if(found->values.begin(), found->values.end(),
                               [&](const auto& v) { return Upper(v.first) == Upper(name); });
        if (it != found->values.end())
            it->second = {type, data};
        else
            found->values.push_back({name, {type, data}});
        found->lastWriteTime = systemTime;
    }
    lastError_ = std::uint32_t(status);
    return status;
}

long FakePlatform::RegDeleteValue(RegKey key, const PlatformText& received)
{
    const std::string name = Received(received);
    long status = ERROR_SUCCESS_;
    if (!Begin("RegDeleteValue", status)) return status;
    Key* found = nullptr;
    status = findKey(key, KEY_SET_VALUE_, found);
    if (status == ERROR_SUCCESS_) {
        auto it = std::find_if(found->values.begin(), found->values.end(),
                               [&](const auto& v) { return Upper(v.first) == Upper(name); });
        if (it == found->values.end()) {
            status = ERROR_FILE_NOT_FOUND_;
        } else {
            found->values.erase(it);
            found->lastWriteTime = systemTime;
        }
    }
    lastError_ = std::uint32_t(status);
    return status;
}

long FakePlatform::RegCloseKey(RegKey key)
{
    long status = ERROR_SUCCESS_;
    if (!Begin("RegCloseKey", status)) return status;
    if (!IsRoot(key) && openKeys_.erase(key) == 0) status = ERROR_INVALID_HANDLE_;
    lastError_ = std::uint32_t(status);
    return status;
}

long FakePlatform::RegQueryInfoKey(RegKey key, std::uint32_t& values, std::uint64_t& lastWriteTime)
{
    long status = ERROR_SUCCESS_;
    if (!Begin("RegQueryInfoKey", status)) return status;
    Key* found = nullptr;
    status = findKey(key, KEY_QUERY_VALUE_, found);
    if (status == ERROR_SUCCESS_) {
        values = std::uint32_t(found->values.size());
        lastWriteTime = found->lastWriteTime;
    }
    lastError_ = std::uint32_t(status);
    return status;
}

bool FakePlatform::HasTwoRegistryViews()
{
    calls.push_back("HasTwoRegistryViews");
    return twoRegistryViews;
}

// ------------------------------------------------------------------------ kernel32

std::uint64_t FakePlatform::GetSystemTimeAsFileTime()
{
    calls.push_back("GetSystemTimeAsFileTime");
    systemTime += clockStep;
    return systemTime;
}

FakePlatform& FakePlatform::SetEnv(const std::string& name, const std::string& value)
{
    environment_[Upper(name)] = {name, value};
    return *this;
}

std::uint32_t FakePlatform::ExpandEnvironmentStrings(const std::u16string& wideSource, std::u16string& destination,
                                                     std::uint32_t capacity)
{
    const std::string source = utf8(wideSource);
    long status = ERROR_SUCCESS_;
    if (!Begin("ExpandEnvironmentStrings", status)) return 0;
    expandCapacities.push_back(capacity);
    std::string expanded;
    const std::string text = source.substr(0, source.find('\0'));
    for (std::size_t i = 0; i < text.size();) {
        const auto close = text[i] == '%' ? text.find('%', i + 1) : std::string::npos;
        const auto var = close == std::string::npos ? environment_.end()
                                                    : environment_.find(Upper(text.substr(i + 1, close - i - 1)));
        if (var == environment_.end()) {
            expanded += text[i++];  // not a known reference: kept as written
            continue;
        }
        expanded += var->second.second;
        i = close + 1;
    }
    const std::u16string wide = fromUtf8(expanded);
    const std::uint32_t needed = std::uint32_t(wide.size() + 1);
    if (needed > capacity) return needed;
    if (destination.size() < needed) destination.resize(needed);
    std::copy(wide.begin(), wide.end(), destination.begin());
    destination[needed - 1] = u'\0';
    return needed;
}

FakePlatform& FakePlatform::SetWindows(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor)
{
    os = {major, minor, platformId};
    return *this;
}

bool FakePlatform::GetVersionEx(OsVersion& info)
{
    long status = ERROR_SUCCESS_;
    if (!Begin("GetVersionEx", status) || versionQueryFails) return false;
    info = os;
    return true;
}

// ------------------------------------------------------------------------ files

std::string FakePlatform::Absolute(const std::string& path) const
{
    std::string absolute;
    const std::string current = currentFolder ? std::string(currentFolder->begin(), currentFolder->end()) : "C:\\";
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\')
        absolute = path;
    else if (path.size() >= 3 && path[1] == ':' && path[2] == '\\')
        absolute = path;
    else if (path.size() >= 2 && path[1] == ':')
        absolute = path.substr(0, 2) + "\\" + path.substr(2);
    else if (!path.empty() && path[0] == '\\')
        absolute = current.substr(0, 2) + path;
    else
        absolute = current + (!current.empty() && current.back() == '\\' ? "" : "\\") + path;
    // The platform reads "a\\b" as "a\b".
    std::string collapsed = absolute.substr(0, 2);
    for (std::size_t i = 2; i < absolute.size(); ++i)
        if (!(absolute[i] == '\\' && collapsed.back() == '\\')) collapsed += absolute[i];
    return collapsed;
}

FakePlatform& FakePlatform::AddEntry(const std::string& path, const std::string& shortName, bool folder)
{
    std::string absolute = Absolute(path);
    while (absolute.size() > 3 && absolute.back() == '\\') absolute.pop_back();
    const SplitPath split = Split(absolute);
    std::string built = split.root;
    for (const std::string& component : split.components) {
        built += "\\" + component;
        auto& entry = entries_[Upper(built)];
        if (entry.path.empty()) entry = {built, "", true};
    }
    auto& entry = entries_[Upper(absolute)];
    entry.folder = folder;
    if (!shortName.empty()) entry.shortName = shortName;
    return *this;
}

FakePlatform& FakePlatform::AddFile(const std::string& path, const std::string& shortName)
{
    return AddEntry(path, shortName, false);
}

FakePlatform& FakePlatform::AddFolder(const std::string& path, const std::string& shortName)
{
    return AddEntry(path, shortName, true);
}

FakePlatform& FakePlatform::RemoveFile(const std::string& path)
{
    if (const Entry* entry = Resolve(path)) entries_.erase(Upper(entry->path));
    return *this;
}

bool FakePlatform::FileExists(const std::string& path) const { return Resolve(path) != nullptr; }

const FakePlatform::Entry* FakePlatform::Child(const std::string& parentUpper, const std::string& component,
                                               bool allowWildcards) const
{
    const std::string wanted = Upper(component);
    for (const auto& [upper, entry] : entries_) {
        if (ParentOf(upper) != parentUpper || upper == parentUpper) continue;
        const std::string name = Upper(LastComponent(entry.path));
        const std::string alias = Upper(entry.shortName);
        if (allowWildcards
                ? (Glob(wanted.c_str(), name.c_str()) || (!alias.empty() && Glob(wanted.c_str(), alias.c_str())))
                : (wanted == name || wanted == alias))
            return &entry;
    }
    return nullptr;
}

const FakePlatform::Entry* FakePlatform::Resolve(const std::string& path) const
{
    const SplitPath split = Split(Absolute(path));
    std::string parent = Upper(split.root);
    const Entry* entry = nullptr;
    for (const std::string& component : split.components) {
        if (component.empty()) return nullptr;
        entry = Child(parent, component, false);
        if (!entry) return nullptr;
        parent = Upper(entry->path);
    }
    return entry;
}

std::optional<std::u16string> FakePlatform::FindFirstFile(const std::u16string& widePattern)
{
    const std::string pattern = utf8(widePattern);
    long status = ERROR_SUCCESS_;
    if (!Begin("FindFirstFile", status)) return std::nullopt;
    const auto failure = findFailsWith.find(Upper(pattern));
    if (failure != findFailsWith.end()) {
        lastError_ = std::uint32_t(failure->second);
        return std::nullopt;
    }
    // As the platform answers: no match in a folder that is there (a root or a trailing
    // backslash included) is "file not found", a folder on the way that is not is "path not found".
    lastError_ = std::uint32_t(ERROR_FILE_NOT_FOUND_);
    SplitPath split = Split(Absolute(pattern));
    if (split.components.empty()) return std::nullopt;
    const std::string last = split.components.back();
    split.components.pop_back();
    std::string parent = Upper(split.root);
    for (const std::string& component : split.components) {
        const Entry* folder = component.empty() ? nullptr : Child(parent, component, false);
        if (!folder) {
            lastError_ = std::uint32_t(ERROR_PATH_NOT_FOUND_);
            return std::nullopt;
        }
        parent = Upper(folder->path);
    }
    if (last.empty()) return std::nullopt;
    const bool wild = wildcards && last.find_first_of("*?") != std::string::npos;
    const Entry* found = Child(parent, last, wild);
    if (!found) return std::nullopt;
    lastError_ = 0;
    return fromUtf8(LastComponent(found->path));
}

std::uint32_t FakePlatform::GetLongPathName(const std::u16string& wideShortPath, std::u16string& longPath,
                                            std::uint32_t capacity)
{
    const std::string shortPath = utf8(wideShortPath);
    long status = ERROR_SUCCESS_;
    if (!Begin("GetLongPathName", status)) return 0;
    longPathCapacities.push_back(capacity);
    SplitPath split = Split(Absolute(shortPath));
    const bool trailingSlash = !split.components.empty() && split.components.back().empty();
    if (trailingSlash) split.components.pop_back();

    // Each component as the folder holds it, the way the platform answers.
    std::string resolved = split.root;
    std::string parent = Upper(split.root);
    for (const std::string& component : split.components) {
        const Entry* entry = component.empty() ? nullptr : Child(parent, component, false);
        if (!entry) {
            lastError_ = std::uint32_t(ERROR_FILE_NOT_FOUND_);
            return 0;
        }
        resolved += "\\" + LastComponent(entry->path);
        parent = Upper(entry->path);
    }
    if (trailingSlash || split.components.empty()) resolved += "\\";
    // Characters, as the wide entry point counts them.
    const std::u16string wide = fromUtf8(resolved);
    if (wide.size() + 1 > capacity) {
        lastError_ = std::uint32_t(ERROR_INSUFFICIENT_BUFFER_);
        return std::uint32_t(wide.size() + 1);
    }
    longPath = wide;
    lastError_ = 0;
    return std::uint32_t(wide.size());
}

// ------------------------------------------------------------------------ version resources

FakePlatform& FakePlatform::SetFileVersion(const std::string& path, std::uint16_t a, std::uint16_t b, std::uint16_t c,
                                           std::uint16_t d, std::uint32_t resourceSize)
{
    versions_[Upper(Absolute(path))] = {FileVersion{std::uint32_t(a) << 16 | b, std::uint32_t(c) << 16 | d},
                                        resourceSize};
    return *this;
}

FakePlatform& FakePlatform::SetVersionResourceWithoutRoot(const std::string& path, std::uint32_t resourceSize)
{
    versions_[Upper(Absolute(path))] = {std::nullopt, resourceSize};
    return *this;
}

std::uint32_t FakePlatform::GetFileVersionInfoSize(const PlatformText& received)
{
    const std::string path = Received(received);
    long status = ERROR_SUCCESS_;
    if (!Begin("GetFileVersionInfoSize", status)) return 0;
    const auto it = versions_.find(Upper(Absolute(path)));
    lastError_ = it == versions_.end() ? 1813 /* ERROR_RESOURCE_TYPE_NOT_FOUND */ : 0;
    return it == versions_.end() ? 0 : it->second.size;
}

// The fake's resource image: "VSFI", the two version words, then filler.
bool FakePlatform::GetFileVersionInfo(const PlatformText& received, std::vector<std::uint8_t>& block)
{
    const std::string path = Received(received);
    long status = ERROR_SUCCESS_;
    if (!Begin("GetFileVersionInfo", status)) return false;
    versionBlockSizes.push_back(std::uint32_t(block.size()));
    const auto it = versions_.find(Upper(Absolute(path)));
    if (it == versions_.end() || block.empty()) return false;
    // Only the part of the image that fits the buffer is made: the declared size may be
    // anything up to 4 GiB.
    const std::size_t imageSize = std::max<std::uint32_t>(it->second.size, 12);
    const std::size_t copied = std::min(imageSize, block.size()) / (shortReadNow_ ? 2 : 1);
    std::fill_n(block.begin(), copied, std::uint8_t(0xCD));
    if (it->second.root) {
        const FileVersion v = *it->second.root;
        const std::uint8_t head[12] = {'V',
                                       'S',
                                       'F',
                                       'I',
                                       std::uint8_t(v.fileVersionMS),
                                       std::uint8_t(v.fileVersionMS >> 8),
                                       std::uint8_t(v.fileVersionMS >> 16),
                                       std::uint8_t(v.fileVersionMS >> 24),
                                       std::uint8_t(v.fileVersionLS),
                                       std::uint8_t(v.fileVersionLS >> 8),
                                       std::uint8_t(v.fileVersionLS >> 16),
                                       std::uint8_t(v.fileVersionLS >> 24)};
        std::copy_n(std::begin(head), std::min<std::size_t>(12, copied), block.begin());
    }
    return true;
}

std::optional<FileVersion> FakePlatform::VerQueryRoot(const std::vector<std::uint8_t>& block)
{
    long status = ERROR_SUCCESS_;
    if (!Begin("VerQueryRoot", status)) return std::nullopt;
    if (block.size() < 12 || block[0] != 'V' || block[1] != 'S' || block[2] != 'F' || block[3] != 'I')
        return std::nullopt;
    auto word = [&](std::size_t at) {
        return std::uint32_t(block[at]) | std::uint32_t(block[at + 1]) << 8 | std::uint32_t(block[at + 2]) << 16 |
               std::uint32_t(block[at + 3]) << 24;
    };
    return FileVersion{word(4), word(8)};
}

// ------------------------------------------------------------------------ user32, engine, text

std::int32_t FakePlatform::MessageBoxIndirect(const MessageBoxRequest& request)
{
    long status = ERROR_SUCCESS_;
    if (!Begin("MessageBoxIndirect", status)) return 0;
    messageBoxes.push_back(request);
    return messageBoxResult;
}

CursorPos FakePlatform::GetCursorPos()
{
    calls.push_back("GetCursorPos");
    return cursor;
}

void FakePlatform::DefWindowProc(std::uint32_t hwnd, std::uint32_t message, std::uint32_t wParam, std::int32_t lParam)
{
    calls.push_back("DefWindowProc");
    windowProcCalls.push_back({hwnd, message, wParam, lParam});
}

bool FakePlatform::HtmlHelp(const HelpCall& call)
{
    long status = ERROR_SUCCESS_;
    lastHelpWindow_ = 0;
    if (!Begin("HtmlHelp", status)) return false;
    if (!engineAvailable || refuseHelpCalls > 0) {
        if (refuseHelpCalls > 0) --refuseHelpCalls;
        lastError_ = 126;  // ERROR_MOD_NOT_FOUND
        return false;
    }
    helpCalls.push_back(call);
    lastHelpWindow_ = helpWindow;
    return true;
}

bool FakePlatform::LoadHelpEngine()
{
    calls.push_back("LoadHelpEngine");
    return engineAvailable;
}

FakePlatform& FakePlatform::AddCompiledHelp(const std::string& path, std::map<std::u16string, std::string> streams)
{
    AddFile(path);
    compiledHelp_[Upper(Absolute(path))] = std::move(streams);
    return *this;
}

namespace {
constexpr long STG_E_FILENOTFOUND_ = long(0x80030002u);
constexpr long E_FAIL_ = long(0x80004005u);
}  // namespace

long FakePlatform::ListCompiledHelp(const std::u16string& file, std::vector<std::u16string>& streams)
{
    calls.push_back("ListCompiledHelp");
    streams.clear();
    const Entry* entry = Resolve(utf8(file));  // by long or short names, as the storage opens it
    if (!entry) return STG_E_FILENOTFOUND_;
    const auto it = compiledHelp_.find(Upper(entry->path));
    if (it == compiledHelp_.end()) return E_FAIL_;
    for (const auto& [name, data] : it->second) streams.push_back(name);
    return 0;
}

long FakePlatform::ReadCompiledHelpStream(const std::u16string& file, const std::u16string& stream,
                                          std::vector<std::uint8_t>& data)
{
    calls.push_back("ReadCompiledHelpStream");
    const Entry* entry = Resolve(utf8(file));
    const auto it = entry ? compiledHelp_.find(Upper(entry->path)) : compiledHelp_.end();
    if (it == compiledHelp_.end()) return STG_E_FILENOTFOUND_;
    const auto found = it->second.find(stream);
    if (found == it->second.end()) return STG_E_FILENOTFOUND_;
    data.assign(found->second.begin(), found->second.end());
    return 0;
}

long FakePlatform::ReadFile(const std::u16string& path, std::uint32_t limit, std::vector<std::uint8_t>& data)
{
    data.clear();
    long status = ERROR_SUCCESS_;
    if (!Begin("ReadFile", status)) return status;
    const std::string wanted = Upper(utf8(path));
    for (const auto& [named, bytes] : fileData) {
        if (Upper(named) != wanted) continue;
        data.assign(bytes.begin(), bytes.begin() + std::min<std::size_t>(bytes.size(), limit));
        return ERROR_SUCCESS_;
    }
    lastError_ = ERROR_FILE_NOT_FOUND_;
    return ERROR_FILE_NOT_FOUND_;
}

std::optional<std::uint32_t> FakePlatform::MapUrlToZone(const std::u16string& url)
{
    calls.push_back("MapUrlToZone");
    const auto found = urlZones.find(url);
    return found == urlZones.end() ? std::nullopt : std::optional<std::uint32_t>(found->second);
}

std::uint32_t FakePlatform::GetDriveType(const std::u16string& wideRoot)
{
    std::string root = Upper(utf8(wideRoot));
    while (!root.empty() && root.back() == '\\') root.pop_back();
    for (const auto& [named, type] : driveTypes)
        if (Upper(named) == root) return type;
    if (root.size() == 2 && root[1] == ':') return DRIVE_FIXED_;
    return root.rfind("\\\\", 0) == 0 ? DRIVE_REMOTE_ : 0;
}

std::optional<std::string> FakePlatform::ToAnsi(const std::u16string& text) { return fakeExactAnsi(text, codePage); }

std::u16string FakePlatform::FromAnsi(const std::string& text) { return fakeFromAnsi(text, codePage); }

std::u16string FakePlatform::FromCodePage(const std::string& text, std::uint32_t page)
{
    switch (page) {
    case 1252: return fakeFromAnsi(text, FakeCodePage::Latin1);
    case 1251: return fakeFromAnsi(text, FakeCodePage::Cyrillic);
    case 65001: return fakeFromAnsi(text, FakeCodePage::Utf8);
    default: return FromAnsi(text);
    }
}

std::uint32_t FakePlatform::CodePageOfLocale(std::uint32_t lcid)
{
    switch (lcid) {
    case 0x409:
    case 0x407:
    case 0x809: return 1252;
    case 0x419:
    case 0x422: return 1251;
    default: return 0;
    }
}

int FakePlatform::CompareNoCase(const std::u16string& a, const std::u16string& b)
{
    auto fold = [](char16_t c) { return (c >= u'a' && c <= u'z') ? char16_t(c - u'a' + u'A') : c; };
    std::size_t i = 0, j = 0;
    for (;;) {
        while (i < a.size() && a[i] == SoftHyphen) ++i;
        while (j < b.size() && b[j] == SoftHyphen) ++j;
        if (i == a.size() || j == b.size()) break;
        const char16_t x = fold(a[i++]), y = fold(b[j++]);
        if (x != y) return x < y ? -1 : 1;
    }
    const bool aDone = i == a.size(), bDone = j == b.size();
    return aDone == bDone ? 0 : (aDone ? -1 : 1);
}

std::optional<std::string> FakePlatform::LCMapString(const std::u16string& text)
{
    calls.push_back("LCMapString");
    if (text.empty()) return std::nullopt;
    std::string key;
    for (char16_t c : text) {
        if (c >= u'a' && c <= u'z') c = char16_t(c - u'a' + u'A');
        key += char(c & 0xFF);
        key += char(c >> 8);
    }
    return key;
}

std::u16string FakePlatform::ModuleFolder()
{
    calls.push_back("ModuleFolder");
    if (!moduleFolder) throw AutomationError(51, u"Internal error");
    return *moduleFolder;
}

std::u16string FakePlatform::CurrentFolder()
{
    calls.push_back("CurrentFolder");
    if (!currentFolder) throw AutomationError(51, u"Internal error");
    return *currentFolder;
}

std::u16string FakePlatform::LoadResString(std::int32_t id)
{
    calls.push_back("LoadResString");
    const auto it = resources.find(id);
    if (it == resources.end()) throw errors::resourceNotFound();
    return it->second;
}

}  // namespace morvel::htmlhelp
