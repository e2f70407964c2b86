#pragma once
// The platform as the help doctor sees it: the library's own port, except that "the
// library's folder", against which a bare help file name is completed, is the folder of
// the installed Morvel10.dll of the doctor's width, not the doctor's own folder. A bare
// name then leads where the library would find it, wherever the doctor is run from.

#include <string>
#include <utility>

#include "htmlhelp/ForwardingPort.h"

namespace morvel::helpdoctor {

class InstalledLibraryPort : public htmlhelp::ForwardingPort {
public:
    InstalledLibraryPort(htmlhelp::HtmlHelpPort& inner, std::u16string folder)
        : ForwardingPort(inner), folder_(std::move(folder))
    {}

    // The folder of the registered Morvel10.dll (its class's in-process server in this
    // process's registry view), else the library's folder of the SDK layout the doctor
    // ships in (<folder>\sdk\bin\helpdoctor.exe), else the doctor's own folder.
    static std::u16string find(htmlhelp::HtmlHelpPort& inner);

    std::u16string ModuleFolder() override { return folder_; }

private:
    std::u16string folder_;
};

}  // namespace morvel::helpdoctor
