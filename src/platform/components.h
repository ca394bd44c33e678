// The text-file component that the search reads project files with: a
// file-system object created afresh for each use, whose OpenTextFile gives a
// text stream with Read, AtEndOfStream, ReadAll and Close.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace morvane {

namespace iomode {
inline constexpr int kForReading = 1;
}

class TextStream {
  public:
    virtual ~TextStream() = default;
    // The next `characters` characters of the file, as ansi bytes, in place of
    // what `piece` held (its storage is reused); fewer only where the file
    // ends, none once it has ended.
    virtual void Read(std::size_t characters, std::string& piece) = 0;
    // Whether every character of the file has been read.
    virtual bool AtEndOfStream() = 0;
    // The whole remaining content of the file, as ansi bytes (empty for an empty file).
    virtual std::string ReadAll() = 0;
    virtual void Close() = 0;
};

class FileSystemObject {
  public:
    virtual ~FileSystemObject() = default;
    // Opens a file as a text stream. With iomode::kForReading the file must
    // exist (53 when it does not) and be readable.
    virtual std::unique_ptr<TextStream> OpenTextFile(const std::string& name, int ioMode) = 0;
};

class Components {
  public:
    virtual ~Components() = default;
    // A new instance of the file-system object.
    virtual std::unique_ptr<FileSystemObject> createFileSystemObject() = 0;
};

}  // namespace morvane
