// Every registry, file and version call of the main commands fails in turn, in each of
// the ways the platform can fail. Whatever fails, a command ends normally or with an
// automation error, closes what it opened, and never leaves the HTML Help file list with
// an entry it did not write whole.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "FakePlatform.h"
#include "portable/AutomationError.h"
#include "htmlhelp/HtmlHelpObject.h"

namespace morvel::htmlhelp {
namespace {

constexpr char ListKey[] = "Software\\Microsoft\\Windows\\HTML Help";
const std::string HhctrlPath = "C:\\Windows\\System32\\hhctrl.ocx";
const std::string ShdocvwPath = "C:\\Windows\\System32\\shdocvw.dll";

struct Fault {
    const char* name;
    long status;
    bool shortRead;
};
const Fault Faults[] = {
    {"access denied", ERROR_ACCESS_DENIED_, false},
    {"not found", ERROR_FILE_NOT_FOUND_, false},
    {"out of memory", 8 /* ERROR_NOT_ENOUGH_MEMORY */, false},
    {"short read", ERROR_SUCCESS_, true},
};

// A machine with both controls installed, two listed help files (one of them present),
// and an unlisted one beside it.
void Furnish(FakePlatform& fake)
{
    fake.AddFile(HhctrlPath).SetFileVersion(HhctrlPath, 4, 74, 8702, 0);
    fake.SetString(HKEY_CLASSES_ROOT_, "CLSID\\{4662DAB0-D393-11D0-9A56-00C04FB68B66}\\InprocServer32", "", HhctrlPath);
    fake.AddFile(ShdocvwPath).SetFileVersion(ShdocvwPath, 6, 0, 2900, 2180);
    fake.SetExpandString(HKEY_CLASSES_ROOT_, "CLSID\\{0A89A860-D7B1-11CE-8350-444553540000}\\InProcServer32", "",
                         "%SystemRoot%\\System32\\shdocvw.dll");
    fake.AddKey(HKEY_LOCAL_MACHINE_, "SOFTWARE\\Classes\\TypeLib\\{ADB880A2-D8FF-11CF-9377-00AA003B7A11}");
    fake.AddFile("C:\\Help\\Library.chm").ListHelpFile("Library.chm", "C:\\Help\\");
    fake.AddFile("C:\\Help\\Extra.chm").ListHelpFile("Gone.chm", "C:\\Old\\");
}

using Command = std::function<void(HtmlHelpObject&)>;
struct NamedCommand {
    const char* name;
    Command run;
};

std::vector<NamedCommand> Commands()
{
    const std::int32_t form = 0x42;
    auto text = [](const char16_t* t) { return Text(t); };
    return {
        {"HHRegister",
         [=](HtmlHelpObject& o) {
             Text f = text(u"C:\\Help\\Extra.chm");
             o.helpFileRegistration.HHRegister(f);
         }},
        {"HHRegister bare",
         [=](HtmlHelpObject& o) {
             Text f = text(u"Library.chm");
             o.helpFileRegistration.HHRegister(f);
         }},
        {"HHUnRegister",
         [=](HtmlHelpObject& o) {
             Text f = text(u"Library.chm");
             o.helpFileRegistration.HHUnRegister(f);
         }},
        {"HHCheckRegistry", [=](HtmlHelpObject& o) { o.helpFileRegistration.HHCheckRegistry(text(u"Library.chm")); }},
        {"EnsureFileExists",
         [=](HtmlHelpObject& o) {
             Text f = text(u"Library.chm");
             o.helpFileChecks.EnsureFileExists(f);
         }},
        {"HHVerifyMinConfig", [=](HtmlHelpObject& o) { o.installationCheck.HHVerifyMinConfig(16, 256); }},
        {"HHVersion and names",
         [=](HtmlHelpObject& o) {
             o.installationCheck.HHVersion();
             o.installationCheck.IEVersion();
             o.installationCheck.HHFriendlyName();
             o.installationCheck.IEFriendlyName();
             o.installationCheck.HHInstalled();
         }},
        {"HHDisplayTopicURL",
         [=](HtmlHelpObject& o) {
             o.state.CHMFile = u"Library.chm";
             o.state.HHTopicURL = u"intro.htm";
             o.displayCommands.HHDisplayTopicURL(&form);
         }},
        {"HHDisplayContents",
         [=](HtmlHelpObject& o) {
             o.state.CHMFile = u"C:\\Help\\Library.chm";
             o.displayCommands.HHDisplayContents(&form);
         }},
        {"HHDisplayKeyword",
         [=](HtmlHelpObject& o) {
             o.state.CHMFile = u"Library.chm";
             o.state.HHKeyword = u"setup";
             o.displayCommands.HHDisplayKeyword(&form);
         }},
        {"HHDisplayPopup",
         [=](HtmlHelpObject& o) {
             o.state.CHMFile = u"Library.chm";
             o.state.HHPopupType = 1;
             o.state.HHPopupFile = u"pop.txt";
             o.popups.HHDisplayPopup(form);
         }},
    };
}

TEST(InjectedFaultsTest, EveryCallFailsInTurnWithoutACrashALeakOrAPartialListEntry)
{
    std::size_t runs = 0;
    for (const NamedCommand& command : Commands()) {
        // How many registry, file and version calls the command makes when nothing fails.
        FakePlatform clean;
        Furnish(clean);
        const auto listBefore = clean.Values(HKEY_LOCAL_MACHINE_, ListKey);
        {
            HtmlHelpObject object(clean);
            ASSERT_NO_THROW(command.run(object)) << command.name;
        }
        const std::size_t calls = clean.injectableCalls;
        ASSERT_GT(calls, 0u) << command.name;

        for (const Fault& fault : Faults) {
            for (std::size_t at = 0; at < calls; ++at) {
                SCOPED_TRACE(std::string(command.name) + ", " + fault.name + " at call " + std::to_string(at));
                FakePlatform fake;
                Furnish(fake);
                fake.injectAt = at;
                fake.injectedStatus = fault.status;
                fake.injectShortRead = fault.shortRead;
                HtmlHelpObject object(fake);
                try {
                    command.run(object);
                } catch (const AutomationError& e) {
                    // An error the host can be told about: a number and what it means.
                    EXPECT_NE(e.number(), 0);
                    EXPECT_FALSE(e.description().empty());
                }
                ++runs;
                if (fake.injectedInto != "RegCloseKey")
                    EXPECT_EQ(fake.OpenKeyCount(), object.fileList.kept() ? 1u : 0u);
                for (const auto& [name, value] : fake.Values(HKEY_LOCAL_MACHINE_, ListKey)) {
                    bool untouched = false;
                    for (const auto& [oldName, oldValue] : listBefore)
                        untouched = untouched ||
                                    (oldName == name && oldValue.type == value.type && oldValue.data == value.data);
                    if (untouched) continue;
                    // Only a whole entry may appear: the file's folder as text with its NUL.
                    EXPECT_EQ(name, "Extra.chm");
                    EXPECT_EQ(value.type, REG_SZ_);
                    EXPECT_EQ(RegistryAccess::textOfData(value.data), std::u16string(u"C:\\Help\\\0", 9));
                }
                for (const auto& box : fake.messageBoxes) EXPECT_FALSE(box.text.text().empty());
            }
        }
    }
    EXPECT_GT(runs, 100u);
}

// The register command's failures end with what it documents: a refused key or write
// leaves the list as it was and says so or shows the list as it is.
TEST(InjectedFaultsTest, ARefusedWriteRegistersNothing)
{
    for (const char* entry : {"RegCreateKeyEx", "RegSetValueEx"}) {
        SCOPED_TRACE(entry);
        FakePlatform fake;
        Furnish(fake);
        fake.failWith[entry] = ERROR_ACCESS_DENIED_;
        HtmlHelpObject object(fake);
        Text file = u"C:\\Help\\Extra.chm";
        object.helpFileRegistration.HHRegister(file);
        EXPECT_FALSE(fake.ListedFolder("Extra.chm"));
        EXPECT_EQ(object.state.HHRegFileName, u"");
        if (std::string(entry) == "RegCreateKeyEx") {
            ASSERT_EQ(fake.messageBoxes.size(), 1u);
            EXPECT_EQ(fake.messageBoxes[0].text, "HTML Help Class: HHRegister Error");
        } else {
            EXPECT_TRUE(fake.messageBoxes.empty());
        }
    }
}

}  // namespace
}  // namespace morvel::htmlhelp
