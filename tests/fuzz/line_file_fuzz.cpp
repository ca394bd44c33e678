// Any bytes through the line reader and the line writer: the lines read are
// exactly the content split at CR or CR LF (a lone LF stays in its line, the
// last line needs no end), and the file written back from them is the content
// with every line ending in CR LF, so nothing but line ends ever changes.
//
// Input: the first byte chooses whether the rest starts a little in front of
// the reader's buffer edge (after a run of 'x'), so that CR, CR LF and long
// lines also fall across a refill: for one value of its low three bits, with
// its high five bits as the distance; the rest is the file's content.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "fuzz_check.h"
#include "platform/failure.h"
#include "platform/line_file.h"
#include "platform/posix_file.h"

namespace {

using morvane::fuzz::shown;

// The reader's buffer size: content longer than this is read in two pieces.
constexpr std::size_t kReaderBuffer = 256 * 1024;

// The lines of the content, told as simply as possible.
std::vector<std::string> referenceLines(const std::string& content) {
    std::vector<std::string> lines;
    std::string current;
    bool open = false;  // something since the last line end
    for (std::size_t i = 0; i < content.size(); ++i) {
        if (content[i] == '\r') {
            lines.push_back(current);
            current.clear();
            open = false;
            if (i + 1 < content.size() && content[i + 1] == '\n') ++i;
        } else {
            current += content[i];
            open = true;
        }
    }
    if (open) lines.push_back(current);
    return lines;
}

int memoryFile(const std::string& bytes) {
    const int fd = ::memfd_create("line-file-fuzz", MFD_CLOEXEC);
    FUZZ_CHECK(fd >= 0);
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        FUZZ_CHECK(put > 0);
        done += static_cast<std::size_t>(put);
    }
    FUZZ_CHECK(::lseek(fd, 0, SEEK_SET) == 0);
    return fd;
}

std::string wholeFile(int fd) {
    std::string bytes;
    FUZZ_CHECK(::lseek(fd, 0, SEEK_SET) == 0);
    char buffer[65536];
    ssize_t got;
    while ((got = ::read(fd, buffer, sizeof buffer)) > 0) bytes.append(buffer, got);
    FUZZ_CHECK(got == 0);
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t shift = data[0];
    std::string content;
    if ((shift & 7) == 1) content.assign(kReaderBuffer - (shift >> 3), 'x');
    content.append(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::vector<std::string> expected = referenceLines(content);

    std::vector<std::string> lines;
    morvane::LineReader reader(morvane::posixFile(memoryFile(content)));
    while (!reader.atEnd()) lines.push_back(reader.readLine());
    // Reading past the end is a failure, not a line.
    bool failedPastEnd = false;
    try {
        reader.readLine();
    } catch (const morvane::Failure& f) {
        failedPastEnd = f.number() == morvane::err::kInputPastEnd;
    }
    FUZZ_CHECK(failedPastEnd);
    reader.close();

    if (lines != expected) {
        std::fprintf(stderr, "content: %s\nread %zu lines, expected %zu\n",
                     shown(content.substr(0, 400)).c_str(), lines.size(), expected.size());
    }
    FUZZ_CHECK(lines == expected);

    // The copy written back: every line followed by CR LF, nothing else.
    const int out = ::memfd_create("line-file-fuzz-out", MFD_CLOEXEC);
    FUZZ_CHECK(out >= 0);
    const int keep = ::dup(out);
    FUZZ_CHECK(keep >= 0);
    {
        morvane::LineWriter writer(morvane::posixFile(out));
        for (const std::string& line : lines) writer.writeLine(line);
        writer.close();
    }
    std::string written = wholeFile(keep);
    ::close(keep);
    std::string expectedBytes;
    for (const std::string& line : expected) expectedBytes += line + "\r\n";
    FUZZ_CHECK(written == expectedBytes);

    // Apart from line ends, the copy is the content: dropping every CR and
    // every LF that follows a CR from both leaves the same bytes.
    auto withoutLineEnds = [](const std::string& text) {
        std::string out;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
                continue;
            }
            out += text[i];
        }
        return out;
    };
    FUZZ_CHECK(withoutLineEnds(written) == withoutLineEnds(content));
    return 0;
}
