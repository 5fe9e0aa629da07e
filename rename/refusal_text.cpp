#include "rename/refusal_text.h"

#include "platform/files/files.h"
#include "words/catalogue.h"

std::string rename_refusal_text(const platform::Error& e, const std::string& typed, const std::string& old_name) {
    using platform::Reason;
    switch (e.reason()) {
        case Reason::AlreadyExists:
            return words::say(words::kRenameNameTaken, {platform::display_text(typed)});
        case Reason::NameRefused:
        case Reason::NotAFile:
            return e.what();  // the platform's sentence names the name and why
        case Reason::NotFound:
            return words::say(words::kRenameFileGone, {platform::display_text(old_name)});
        case Reason::FolderNotFound:
            return words::say(words::kRenameFolderMissing, {platform::display_text(typed)});
        case Reason::AccessDenied:
            return words::say(words::kRenameNotPermitted, {e.what()});
        default:
            return words::say(words::kRenameFailed, {e.what()});
    }
}
