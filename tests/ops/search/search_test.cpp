// BuscaCadena over real files: whether a file holds a text, ignoring letter
// case by the code page; an empty text in empty and non-empty files; failures
// passed out unaltered; a new file-system object per call, released with its
// stream on every way out; the file never changed.
#include "ops/search.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/failure.h"
#include "platform/host_components.h"
#include "support/temp_drive.h"

namespace morvane {
namespace {

using testing::TempDrive;
using testing::writeBytes;

// The host component, watched: how many objects and streams were made and are
// still alive, which calls they got, and a read failure on demand.
struct Watch {
    int objects = 0, liveObjects = 0;
    int streams = 0, liveStreams = 0, closes = 0;
    std::vector<std::pair<std::string, int>> opens;
    std::optional<Failure> readFailure;
};

class WatchedStream : public TextStream {
  public:
    WatchedStream(std::unique_ptr<TextStream> inner, Watch& w) : inner_(std::move(inner)), w_(w) {
        ++w_.streams;
        ++w_.liveStreams;
    }
    ~WatchedStream() override { --w_.liveStreams; }
    std::string ReadAll() override {
        if (w_.readFailure) throw *w_.readFailure;
        return inner_->ReadAll();
    }
    void Close() override {
        ++w_.closes;
        inner_->Close();
    }

  private:
    std::unique_ptr<TextStream> inner_;
    Watch& w_;
};

class WatchedObject : public FileSystemObject {
  public:
    WatchedObject(std::unique_ptr<FileSystemObject> inner, Watch& w)
        : inner_(std::move(inner)), w_(w) {
        ++w_.objects;
        ++w_.liveObjects;
    }
    ~WatchedObject() override { --w_.liveObjects; }
    std::unique_ptr<TextStream> OpenTextFile(const std::string& name, int ioMode) override {
        w_.opens.emplace_back(name, ioMode);
        return std::make_unique<WatchedStream>(inner_->OpenTextFile(name, ioMode), w_);
    }

  private:
    std::unique_ptr<FileSystemObject> inner_;
    Watch& w_;
};

class WatchedComponents : public Components {
  public:
    explicit WatchedComponents(Components& inner) : inner_(inner) {}
    Watch watch;
    std::unique_ptr<FileSystemObject> createFileSystemObject() override {
        return std::make_unique<WatchedObject>(inner_.createFileSystemObject(), watch);
    }

  private:
    Components& inner_;
};

struct SearchFixture {
    TempDrive drive;
    HostComponents host{drive.drives()};
    WatchedComponents components{host};

    std::string write(const std::string& name, std::string_view bytes) {
        writeBytes(drive.host("Proyectos/" + name), bytes);
        return "C:\\Proyectos\\" + name;
    }
};

struct Case {
    const char* name;
    std::string content;  // ansi bytes on disk
    std::string buscar;   // as the run passes it (UTF-8)
    bool found;
};

class Search : public ::testing::TestWithParam<Case> {};

TEST_P(Search, AnswersWhetherTheFileHoldsTheText) {
    const Case& c = GetParam();
    SearchFixture f;
    const std::string path = f.write("Ventas.vbp", c.content);
    EXPECT_EQ(BuscaCadena(f.components, path, c.buscar), c.found);
    EXPECT_EQ(testing::readBytes(f.drive.host("Proyectos/Ventas.vbp")), c.content);
}

const std::string kMega(1 << 20, 'q');

INSTANTIATE_TEST_SUITE_P(
    BuscaCadena, Search,
    ::testing::Values(Case{"SameCase", "Name=\"Ventas\"\r\n", "Ventas", true},
                      Case{"UpperInFile", "Name=\"COMUN\"\r\n", "comun", true},
                      Case{"MixedInFile", "Name=\"Comun\"\r\n", "COMUN", true},
                      Case{"Missing", "Name=\"Compras\"\r\n", "Ventas", false},
                      Case{"AtTheVeryStart", "Ventas y mas", "VENTAS", true},
                      Case{"AtTheVeryEnd", kMega + "Ventas", "ventas", true},
                      Case{"OnlyAPrefixAtTheEnd", kMega + "Venta", "ventas", false},
                      Case{"LongTextNotThere", kMega, std::string(5000, 'Q') + "r", false},
                      Case{"LongTextThere", kMega + "R", std::string(5000, 'Q') + "r", true},
                      Case{"TextLongerThanTheFile", "Vent", "Ventas", false},
                      Case{"TheWholeFile", "ventas", "VENTAS", true},
                      // Line ends have no special meaning.
                      Case{"AcrossALineEnd", "Ventas\r\nCompras", "S\r\nc", true},
                      Case{"SplitByALineEnd", "Ven\r\ntas", "ventas", false},
                      Case{"NulBytesInTheFile", std::string("a\0b\0Ventas", 10), "VENTAS", true},
                      // Letters of the code page pair up too.
                      Case{"EnyeUpperInFile", "A\xD1O", "año", true},
                      Case{"EnyeLowerInFile", "a\xF1o", "AÑO", true},
                      Case{"AccentsAreLetters", "canci\xF3n", "CANCIÓN", true},
                      Case{"AccentsDiffer", "cancion", "canción", false},
                      Case{"CaronAndLigature", "\x8A\x8C\x9F", "šœÿ", true},
                      Case{"DivisionSignHasNoCase", "\xD7", "÷", false},
                      Case{"OutsideTheCodePage", "ventas", "ventas\u4E00", false},
                      // An empty text is found in any content that is not empty.
                      Case{"EmptyTextInEmptyFile", "", "", false},
                      Case{"EmptyTextInOneByte", "\n", "", true},
                      Case{"EmptyTextInAFile", "Type=Exe\r\n", "", true},
                      Case{"TextInEmptyFile", "", "a", false}),
    [](const ::testing::TestParamInfo<Case>& i) { return std::string(i.param.name); });

TEST(BuscaCadena, MakesOneObjectPerCallAndReleasesItWithItsStream) {
    SearchFixture f;
    const std::string a = f.write("A.vbp", "Ventas");
    const std::string b = f.write("B.vbp", "");
    for (int i = 0; i < 3; ++i) {
        BuscaCadena(f.components, a, "ventas");
        BuscaCadena(f.components, b, "");
    }
    const Watch& w = f.components.watch;
    EXPECT_EQ(w.objects, 6);
    EXPECT_EQ(w.streams, 6);
    EXPECT_EQ(w.closes, 6);
    EXPECT_EQ(w.liveObjects, 0);
    EXPECT_EQ(w.liveStreams, 0);
    // Opened for reading, under the name the entry gives.
    ASSERT_EQ(w.opens.size(), 6u);
    EXPECT_EQ(w.opens[0], std::make_pair(a, 1));
    EXPECT_EQ(w.opens[1], std::make_pair(b, 1));
}

TEST(BuscaCadena, PassesFailuresOutUnalteredAndReleasesEverything) {
    SearchFixture f;
    const std::string present = f.write("A.vbp", "Ventas");
    std::filesystem::create_directories(f.drive.host("Proyectos/Carpeta.vbp"));

    struct FailCase {
        std::string path;
        bool readFails;
        int number;
        int streams;  // how many streams were opened
    };
    const std::vector<FailCase> cases = {
        {"C:\\Proyectos\\Borrado.vbp", false, err::kFileNotFound, 0},
        {"C:\\NoHay\\Ventas.vbp", false, err::kFileNotFound, 0},
        {"C:\\Proyectos\\Carpeta.vbp", false, err::kPathFileAccess, 0},
        {present, true, err::kDeviceIo, 1},
    };
    for (const FailCase& c : cases) {
        SCOPED_TRACE(c.path);
        f.components.watch = Watch{};
        if (c.readFails) f.components.watch.readFailure = Failure(err::kDeviceIo, "leído a medias");
        try {
            BuscaCadena(f.components, c.path, "ventas");
            ADD_FAILURE() << "no failure";
        } catch (const Failure& failure) {
            EXPECT_EQ(failure.number(), c.number);
            if (c.readFails) EXPECT_EQ(failure.description(), "leído a medias");
        }
        const Watch& w = f.components.watch;
        EXPECT_EQ(w.objects, 1);
        EXPECT_EQ(w.liveObjects, 0);
        EXPECT_EQ(w.streams, c.streams);
        EXPECT_EQ(w.liveStreams, 0);
        // A stream whose read failed is released without the Close call.
        EXPECT_EQ(w.closes, 0);
    }
}

TEST(BuscaCadena, SearchingNeverChangesTheFile) {
    SearchFixture f;
    const std::string path = f.write("A.vbp", "Type=Exe\r\nName=\"Ventas\"\r\n");
    const auto host = f.drive.host("Proyectos/A.vbp");
    std::filesystem::last_write_time(
        host, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24));
    const auto before = std::filesystem::last_write_time(host);
    for (int i = 0; i < 2; ++i) {
        EXPECT_TRUE(BuscaCadena(f.components, path, "VENTAS"));
        EXPECT_FALSE(BuscaCadena(f.components, path, "COMPRAS"));
    }
    EXPECT_EQ(std::filesystem::last_write_time(host), before);
    EXPECT_EQ(testing::readBytes(host), "Type=Exe\r\nName=\"Ventas\"\r\n");
    // Nothing was created beside it.
    int files = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(host.parent_path())) {
        ++files;
    }
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace morvane
