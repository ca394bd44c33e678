// Failures of the platform services: a number and a description, the way the
// program's users know them from the target platform ("53 No se encontró el
// archivo"). Every service that can fail throws a Failure; the run hands it to
// its one failure handler, and nothing else of the program catches it.
#pragma once

#include <exception>
#include <string>

namespace morvane {

// Failure numbers that the program meets or that host errors map to.
namespace err {
inline constexpr int kInvalidCall = 5;  // argument or call not valid
inline constexpr int kOverflow = 6;     // a 16-bit counter or position overflowed
inline constexpr int kOutOfMemory = 7;
inline constexpr int kInternal = 51;       // an unexpected condition of the host
inline constexpr int kBadFileNumber = 52;  // file number not open, or name not usable
inline constexpr int kFileNotFound = 53;
inline constexpr int kBadFileMode = 54;
inline constexpr int kFileAlreadyOpen = 55;
inline constexpr int kDeviceIo = 57;
inline constexpr int kFileExists = 58;
inline constexpr int kDiskFull = 61;
inline constexpr int kInputPastEnd = 62;
inline constexpr int kTooManyFiles = 67;
inline constexpr int kDeviceUnavailable = 68;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kDiskNotReady = 71;
inline constexpr int kRenameAcrossDrives = 74;  // a rename cannot move a file to another drive
inline constexpr int kPathFileAccess = 75;      // the name is a folder, or the path is unusable
inline constexpr int kPathNotFound = 76;
inline constexpr int kInvalidPropertyIndex = 381;  // a list index past the list's end
inline constexpr int kCannotConvert = 94;          // text that the 8-bit code page cannot hold
}  // namespace err

class Failure : public std::exception {
  public:
    // A failure with the standard description of its number.
    explicit Failure(int number);
    Failure(int number, std::string description);

    int number() const noexcept { return number_; }
    const std::string& description() const noexcept { return description_; }
    const char* what() const noexcept override { return description_.c_str(); }

  private:
    int number_;
    std::string description_;
};

// The standard Spanish description of a failure number, as the failure box shows it.
std::string standardDescription(int number);

// The failure that a host error (an errno value) stands for.
Failure failureFromErrno(int errnoValue);

}  // namespace morvane
