#include "platform/pictures/win32/picture_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "platform/core/error.h"
#include "platform/files/files.h"
#include "words/catalogue.h"

namespace platform::win32 {
namespace {

std::int64_t ticks_to_ns(LARGE_INTEGER ticks) { return ticks.QuadPart * 100; }  // 100 ns ticks

// A file handle as a COM stream. Reads are positioned (as pread), so the
// header reader and the decoder never move each other's place; once the stop
// flag is set every read fails, so that a decode nobody wants reads no
// further. The stream owns the handle and closes it with its last reference.
class HandleStream final : public IStream {
public:
    HandleStream(HANDLE file, std::uint64_t size, StopFlag stop)
        : file_(file), size_(size), stop_(std::move(stop)) {}

    // What the header reader reads: positioned, never past the stop.
    std::size_t read_at(std::uint64_t offset, void* buffer, std::size_t bytes) {
        std::size_t got = 0;
        while (got < bytes) {
            if (stop_ && stop_->load()) return got;
            OVERLAPPED at{};
            const std::uint64_t where = offset + got;
            at.Offset = DWORD(where);
            at.OffsetHigh = DWORD(where >> 32);
            DWORD n = 0;
            const DWORD ask = DWORD(std::min<std::size_t>(bytes - got, 1u << 20));
            if (!::ReadFile(file_, static_cast<char*>(buffer) + got, ask, &n, &at) || n == 0) break;
            got += n;
        }
        return got;
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_ISequentialStream || iid == IID_IStream) {
            *out = static_cast<IStream*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG bytes, ULONG* read) override {
        if (stop_ && stop_->load()) {
            if (read) *read = 0;
            return E_ABORT;
        }
        const std::size_t got = read_at(position_, buffer, bytes);
        position_ += got;
        if (read) *read = ULONG(got);
        return got == bytes ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER move, DWORD origin, ULARGE_INTEGER* now) override {
        std::int64_t base = 0;
        if (origin == STREAM_SEEK_CUR) base = std::int64_t(position_);
        else if (origin == STREAM_SEEK_END) base = std::int64_t(size_);
        else if (origin != STREAM_SEEK_SET) return STG_E_INVALIDFUNCTION;
        const std::int64_t to = base + move.QuadPart;
        if (to < 0) return STG_E_INVALIDFUNCTION;
        position_ = std::uint64_t(to);
        if (now) now->QuadPart = position_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG* stat, DWORD) override {
        if (!stat) return STG_E_INVALIDPOINTER;
        std::memset(stat, 0, sizeof *stat);
        stat->type = STGTY_STREAM;
        stat->cbSize.QuadPart = size_;
        stat->grfMode = STGM_READ;
        return S_OK;
    }
    // A read-only stream of one file: nothing else is offered.
    HRESULT STDMETHODCALLTYPE Write(const void*, ULONG, ULONG*) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return STG_E_ACCESSDENIED; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Revert() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return STG_E_INVALIDFUNCTION;
    }
    HRESULT STDMETHODCALLTYPE Clone(IStream** out) override {
        if (out) *out = nullptr;
        return E_NOTIMPL;
    }

private:
    ~HandleStream() { ::CloseHandle(file_); }

    HANDLE file_;
    std::uint64_t size_;
    StopFlag stop_;
    std::uint64_t position_ = 0;
    std::atomic<ULONG> references_{1};
};

[[noreturn]] void cannot_open(const std::string& path, const std::string& why) {
    throw Error(err::kFileNotFound, words::kCannotOpen, {display_text(path), why});
}

}  // namespace

std::string system_text(DWORD code) {
    char* text = nullptr;
    const DWORD n = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = n && text ? std::string(text, n) : words::say(words::kSystemErrorNumber, {std::to_string(code)});
    if (text) ::LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ' || out.back() == '.'))
        out.pop_back();
    return out;
}

bool stamp_of_handle(HANDLE file, FileStamp& out) {
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandle(file, &info) ||
        !::GetFileInformationByHandleEx(file, FileBasicInfo, &basic, sizeof basic))
        return false;
    out.device = info.dwVolumeSerialNumber;
    out.inode = std::uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
    out.size = std::int64_t(std::uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow);
    out.modified_ns = ticks_to_ns(basic.LastWriteTime);
    out.changed_ns = ticks_to_ns(basic.ChangeTime);
    return true;
}

PictureFile::PictureFile(const std::string& path, StopFlag stop) : path_(path), stop_(stop) {
    const HANDLE file =
        ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = ::GetLastError();
        const DWORD attributes = ::GetFileAttributesA(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            cannot_open(path, words::say(words::kIsFolder));
        cannot_open(path, system_text(code));
    }
    // Devices, pipes and consoles have names too.
    if (::GetFileType(file) != FILE_TYPE_DISK) {
        ::CloseHandle(file);
        refuse(words::say(words::kIsNotRegularFile));
    }
    if (!stamp_of_handle(file, stamp_)) {
        const DWORD code = ::GetLastError();
        ::CloseHandle(file);
        cannot_open(path, system_text(code));
    }
    auto* stream = new HandleStream(file, std::uint64_t(stamp_.size), std::move(stop));
    *stream_.put() = stream;
    std::string why;
    const ReadAt read = [stream](std::uint64_t offset, void* buffer, std::size_t bytes) {
        return stream->read_at(offset, buffer, bytes);
    };
    if (!read_picture_header(read, std::uint64_t(stamp_.size), header_, why)) refuse(why);
}

void PictureFile::refuse(const std::string& why) const {
    throw Error(err::kInvalidPicture, words::kNotAPicture, {display_text(path_), why});
}

}  // namespace platform::win32
