#include "rename/refusal_text.h"

#include "platform/files/files.h"

std::string rename_refusal_text(const platform::Error& e, const std::string& typed, const std::string& old_name) {
    using platform::Reason;
    const std::string name = "\"" + platform::display_text(typed) + "\"";
    switch (e.reason()) {
        case Reason::AlreadyExists:
            return "A file named " + name + " already exists. Please choose another name.";
        case Reason::NameRefused:
        case Reason::NotAFile:
            return e.what();  // the platform's sentence names the name and why
        case Reason::NotFound:
            return "The file " + platform::display_text(old_name) + " is no longer there, so it cannot be renamed.";
        case Reason::FolderNotFound:
            return "The folder named in " + name + " does not exist.";
        case Reason::AccessDenied:
            return "You do not have permission to rename this file.\n\n" + std::string(e.what());
        default:
            return "The file could not be renamed.\n\n" + std::string(e.what());
    }
}
