#pragma once
// One picture file opened for decoding on Windows: opened by its narrow
// name, checked to be a regular file, its header read by our own code, and
// offered to the decoders as a stream that refuses reads once a stop flag
// is set. Included only by the Win32 sources of this layer.
#include <windows.h>
#include <objidl.h>

#include <string>

#include "platform/pictures/picture.h"
#include "platform/pictures/picture_header.h"
#include "platform/pictures/win32/com.h"

namespace platform::win32 {

class PictureFile {
public:
    // Throws 53 when the file cannot be opened (a folder too) and 481 when
    // it is no regular file or its header is not one a decode may be given.
    explicit PictureFile(const std::string& path, StopFlag stop = nullptr);
    PictureFile(const PictureFile&) = delete;
    PictureFile& operator=(const PictureFile&) = delete;

    const std::string& path() const { return path_; }
    const PictureHeader& header() const { return header_; }
    const FileStamp& stamp() const { return stamp_; }
    // The file as a stream for the decoders (a reference of the file's own).
    IStream* stream() const { return stream_.get(); }
    bool stopped() const { return stop_ && stop_->load(); }

    // Whether the EXIF orientation swaps width and height, and the size as
    // the picture is shown.
    bool quarter_turned() const { return header_.orientation >= 5; }
    int upright_width() const { return quarter_turned() ? header_.height : header_.width; }
    int upright_height() const { return quarter_turned() ? header_.width : header_.height; }

    [[noreturn]] void refuse(const std::string& why) const;

private:
    std::string path_;
    StopFlag stop_;
    Com<IStream> stream_;
    PictureHeader header_;
    FileStamp stamp_;
};

// The stamp of an open file (see FileStamp); false when it cannot be read.
bool stamp_of_handle(HANDLE file, FileStamp& out);

// The system's sentence for an error code, without its line break.
std::string system_text(DWORD code);

}  // namespace platform::win32
