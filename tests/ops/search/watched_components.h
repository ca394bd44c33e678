// The host text component, watched: how many file-system objects and streams
// the search made and still holds, which calls they got, how far the file
// was read, and a read failure on demand after a number of pieces.
#pragma once

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/components.h"
#include "platform/failure.h"

namespace morvane::testing {

struct Watch {
    int objects = 0, liveObjects = 0;
    int streams = 0, liveStreams = 0, closes = 0;
    std::vector<std::pair<std::string, int>> opens;
    int pieces = 0;          // pieces read, over all streams
    bool sawTheEnd = false;  // AtEndOfStream answered true
    std::optional<Failure> readFailure;
    int piecesBeforeFailure = 0;  // pieces read before the failure comes
};

class WatchedStream : public TextStream {
  public:
    WatchedStream(std::unique_ptr<TextStream> inner, Watch& w) : inner_(std::move(inner)), w_(w) {
        ++w_.streams;
        ++w_.liveStreams;
    }
    ~WatchedStream() override { --w_.liveStreams; }
    void Read(std::size_t characters, std::string& piece) override {
        if (w_.readFailure && w_.pieces >= w_.piecesBeforeFailure) throw *w_.readFailure;
        inner_->Read(characters, piece);
        ++w_.pieces;
    }
    bool AtEndOfStream() override {
        const bool end = inner_->AtEndOfStream();
        w_.sawTheEnd = w_.sawTheEnd || end;
        return end;
    }
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

}  // namespace morvane::testing
