#include "HelpFileChecks.h"

#include "HtmlHelpObject.h"

namespace morvel::htmlhelp {

bool HelpFileChecks::endsWith(const std::u16string& FileName, const std::u16string& ending)
{
    // Deliberately nothing more than the ending: no dot, no trimming of blanks.
    const std::u16string tail = FileName.size() > ending.size() ? FileName.substr(FileName.size() - ending.size())
                                                                : FileName;
    return object_.port.CompareNoCase(tail, ending) == 0;
}

bool HelpFileChecks::ValidateChmFile(const std::u16string& FileName)
{
    if (endsWith(FileName, u"chm")) return true;
    object_.messageBoxes.ShowUsageMessage(FileName + u" is not a valid HTML Help file.");
    return false;
}

bool HelpFileChecks::ValidatePopupFile(const std::u16string& FileName)
{
    if (endsWith(FileName, u"txt")) return true;
    object_.messageBoxes.ShowUsageMessage(u"The file specified as the text popup source, '" + FileName +
                                          u"', is not a valid popup file.");
    return false;
}

std::u16string HelpFileChecks::completeName(const Text& FileToFind)
{
    const std::u16string name = textOrEmpty(FileToFind);
    if (name.find(u'\\') != std::u16string::npos) return name;
    object_.helpFileRegistration.HHCheckRegistry(FileToFind);  // we want the state it leaves
    const HtmlHelpState& state = object_.state;
    // An entry whose folder could not be read cannot complete anything; such a name is
    // looked for beside the library like one that is not listed.
    if (!isEmpty(state.HHRegFileName) && !isEmpty(state.HHRegFilePath))
        return PlatformHelpers::joinFolder(*state.HHRegFilePath, *state.HHRegFileName);
    return PlatformHelpers::joinFolder(object_.port.ModuleFolder(), name);
}

bool HelpFileChecks::EnsureFileExists(Text& FileToFind)
{
    // The caller sees the completed name from now on. The search looks for exactly that
    // name: no conversion stands between the host's text and the file found.
    FileToFind = completeName(FileToFind);
    if (object_.port.FindFirstFile(*FileToFind)) return true;

    object_.messageBoxes.ShowUsageMessage(u"The file " + *FileToFind + u" does not exist." + u'\n' +
                                          u"Please make sure that you have installed ZELT Help files");
    return false;
}

}  // namespace morvel::htmlhelp
