// Failure numbers and their Spanish descriptions, and the host errors that
// map to them.
#include "platform/failure.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <ostream>
#include <sstream>
#include <string>

#include "case_names.h"
#include "platform/host_failure.h"
#include "support/temp_drive.h"

namespace morvane {
namespace {

struct Described {
    int number;
    const char* description;
};

// Names the case in test listings and failure messages.
void PrintTo(const Described& c, std::ostream* out) {
    std::ostringstream text;
    text << c.number;
    *out << testing::caseName(text.str());
}

class Descriptions : public ::testing::TestWithParam<Described> {};

TEST_P(Descriptions, NumberCarriesItsSpanishDescription) {
    const Described& c = GetParam();
    EXPECT_EQ(standardDescription(c.number), c.description);
    const Failure failure(c.number);
    EXPECT_EQ(failure.number(), c.number);
    EXPECT_EQ(failure.description(), c.description);
    EXPECT_STREQ(failure.what(), c.description);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, Descriptions,
    ::testing::Values(Described{6, "Desbordamiento"}, Described{53, "No se encontró el archivo"},
                      Described{58, "El archivo ya existe"},
                      Described{52, "Nombre o número de archivo incorrecto"},
                      Described{55, "El archivo ya está abierto"},
                      Described{57, "Error de E/S en el dispositivo"}, Described{61, "Disco lleno"},
                      Described{62, "La entrada pasó del final del archivo"},
                      Described{67, "Demasiados archivos"},
                      Described{68, "Dispositivo no disponible"}, Described{70, "Permiso denegado"},
                      Described{71, "El disco no está listo"},
                      Described{74,
                                "No se puede cambiar el nombre con una unidad de disco diferente"},
                      Described{75, "Error de acceso a la ruta o el archivo"},
                      Described{76, "No se encontró la ruta de acceso"}));

TEST(Failures, OwnDescriptionIsKept) {
    const Failure failure(53, "No se encontró el archivo: C:\\a.vbp");
    EXPECT_EQ(failure.number(), 53);
    EXPECT_EQ(failure.description(), "No se encontró el archivo: C:\\a.vbp");
}

struct HostError {
    int errnoValue;
    int number;
};

// Names the case in test listings and failure messages.
void PrintTo(const HostError& c, std::ostream* out) {
    std::ostringstream text;
    text << "errno " << c.errnoValue;
    *out << testing::caseName(text.str());
}

class HostErrors : public ::testing::TestWithParam<HostError> {};

TEST_P(HostErrors, MapToTheNearestNumber) {
    const HostError& c = GetParam();
    const Failure failure = failureFromErrno(c.errnoValue);
    EXPECT_EQ(failure.number(), c.number) << "errno " << c.errnoValue;
    EXPECT_EQ(failure.description(), standardDescription(c.number));
}

INSTANTIATE_TEST_SUITE_P(
    Errno, HostErrors,
    ::testing::Values(HostError{ENOENT, 53}, HostError{ENOTDIR, 76}, HostError{EEXIST, 58},
                      HostError{EACCES, 70}, HostError{EPERM, 70}, HostError{EROFS, 70},
                      HostError{ENOSPC, 61}, HostError{EDQUOT, 61}, HostError{EFBIG, 61},
                      HostError{EMFILE, 67}, HostError{ENFILE, 67}, HostError{EIO, 57},
                      HostError{EISDIR, 75}, HostError{ENAMETOOLONG, 75}, HostError{ELOOP, 75},
                      HostError{EBUSY, 75}, HostError{ENOTEMPTY, 75}, HostError{EXDEV, 74},
                      HostError{ENOMEM, 7}, HostError{ENODEV, 68}, HostError{ENXIO, 68},
                      HostError{ESTALE, 68}, HostError{EHOSTDOWN, 68}, HostError{ENOTCONN, 68},
                      HostError{ENOMEDIUM, 71}));

TEST(Failures, UnknownHostErrorIsADeviceErrorThatNamesTheCause) {
    const Failure failure = failureFromErrno(EPROTO);
    EXPECT_EQ(failure.number(), err::kDeviceIo);
    EXPECT_EQ(failure.description().rfind(standardDescription(err::kDeviceIo), 0), 0u);
    EXPECT_GT(failure.description().size(), standardDescription(err::kDeviceIo).size());
}

// A missing entry is "file not found" when its folder is there and "path not
// found" when the folder is missing too.
TEST(Failures, MissingFolderIsPathNotFound) {
    testing::TempFolder folder;
    testing::writeBytes(folder / "archivo.txt", "x");
    EXPECT_EQ(failureOfPath(ENOENT, folder / "falta.txt").number(), err::kFileNotFound);
    EXPECT_EQ(failureOfPath(ENOENT, folder / "falta" / "a.txt").number(), err::kPathNotFound);
    EXPECT_EQ(failureOfPath(ENOENT, folder / "archivo.txt" / "a.txt").number(), err::kPathNotFound);
    EXPECT_EQ(failureOfPath(EACCES, folder / "falta" / "a.txt").number(), err::kPermissionDenied);
}

}  // namespace
}  // namespace morvane
