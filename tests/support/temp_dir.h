#pragma once
// A temporary folder for one test, removed when it ends; names are byte strings.
#include <string>
#include <vector>

namespace test_support {

class TempDir {
public:
    TempDir();  // a fresh folder under $TMPDIR (default /tmp)
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    // The full path of a name inside the folder ("sub/name" works too).
    std::string file(const std::string& name) const;
    // Writes a file (and the folders on its way) and returns its full path.
    std::string write_file(const std::string& name, const std::string& bytes) const;
    // Creates a sub-folder (and its parents) and returns its full path.
    std::string make_folder(const std::string& name) const;

private:
    std::string path_;
};

// Writes a file at a full path (and the folders on its way).
void write_file(const std::string& path, const std::string& bytes);

// The bytes of a file; throws std::runtime_error when it cannot be read.
std::string read_file_bytes(const std::string& path);

// Every name in a folder, hidden ones included, sorted by bytes.
std::vector<std::string> entries_of(const std::string& folder);

}  // namespace test_support
