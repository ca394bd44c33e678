// The contract of the failure table, the same on every host: each condition
// gives the same failure number and Spanish description whichever host
// reports it, and by whatever code.
#include <gtest/gtest.h>

#include <string>

#include "contract/host_errors.h"

namespace morvane::testing {
namespace {

struct FailureCase {
    const char* label;
    Condition condition;
    int number;
    std::string description;
};

void PrintTo(const FailureCase& c, std::ostream* os) {
    *os << c.label;
}

class FailureTable : public ::testing::TestWithParam<FailureCase> {};

TEST_P(FailureTable, EveryCodeOfTheConditionGivesItsFailure) {
    const FailureCase& c = GetParam();
    const std::vector<int> codes = hostCodes(c.condition);
    ASSERT_FALSE(codes.empty());
    for (int code : codes) {
        const Failure f = hostFailure(code);
        EXPECT_EQ(f.number(), c.number) << "host code " << code;
        EXPECT_EQ(f.description(), c.description) << "host code " << code;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Contract, FailureTable,
    ::testing::Values(
        FailureCase{"NotFound", Condition::NotFound, 53, "No se encontró el archivo"},
        FailureCase{"PathNotFound", Condition::PathNotFound, 76,
                    "No se encontró la ruta de acceso"},
        FailureCase{"Exists", Condition::Exists, 58, "El archivo ya existe"},
        FailureCase{"Refused", Condition::Refused, 70, "Permiso denegado"},
        FailureCase{"HeldElsewhere", Condition::HeldElsewhere, 70, "Permiso denegado"},
        FailureCase{"DiskFull", Condition::DiskFull, 61, "Disco lleno"},
        FailureCase{"TooManyFiles", Condition::TooManyFiles, 67, "Demasiados archivos"},
        FailureCase{"NameUnusable", Condition::NameUnusable, 75,
                    "Error de acceso a la ruta o el archivo"},
        FailureCase{"AcrossDrives", Condition::AcrossDrives, 74,
                    "No se puede cambiar el nombre con una unidad de disco diferente"},
        FailureCase{"OutOfMemory", Condition::OutOfMemory, 7, "Memoria insuficiente"},
        FailureCase{"DeviceGone", Condition::DeviceGone, 68, "Dispositivo no disponible"},
        FailureCase{"NoMedium", Condition::NoMedium, 71, "El disco no está listo"},
        FailureCase{"DeviceIo", Condition::DeviceIo, 57, "Error de E/S en el dispositivo"}),
    [](const auto& info) { return std::string(info.param.label); });

// A code that the table does not name is a device error that still says
// what the host reported.
TEST(FailureTableOther, AnUnnamedCodeIsADeviceErrorWithTheHostsText) {
    const Failure f = hostFailure(unnamedHostCode());
    EXPECT_EQ(f.number(), 57);
    const std::string standard = "Error de E/S en el dispositivo";
    ASSERT_GT(f.description().size(), standard.size() + 3);
    EXPECT_EQ(f.description().substr(0, standard.size() + 2), standard + " (");
    EXPECT_EQ(f.description().back(), ')');
}

}  // namespace
}  // namespace morvane::testing
