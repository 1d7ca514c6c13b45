// Feeds arbitrary bytes from the line to the Rapidox receiver (and, when the first byte
// is odd, to the sender), in chunks with time passing between them, so that the frame
// and packet readers, every state and every time-out meet hostile input. Files stay in
// memory. Besides memory errors it checks that a transfer always ends and that a file is
// never written beyond its announced size.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "comm/rapidox/receiver.h"
#include "comm/rapidox/sender.h"

using namespace morvaline::rapidox;

namespace {

void check(bool condition) {
    if (!condition) __builtin_trap();
}

class MemorySink : public DownloadSink {
public:
    std::optional<std::int64_t> open(const FileHeader& header) override {
        size_ = header.size;
        written_ = 0;
        return std::int64_t{0};
    }
    bool write(std::string_view block) override {
        written_ += static_cast<std::int64_t>(block.size());
        check(written_ < size_ + static_cast<std::int64_t>(kBlockData));
        return true;
    }
    bool flush() override { return true; }
    bool complete(const FileHeader&) override { return true; }
    void keepPartial() override {}
    std::string error() const override { return {}; }

private:
    std::int64_t size_ = 0;
    std::int64_t written_ = 0;
};

class MemorySource : public UploadSource {
public:
    std::size_t fileCount() const override { return 2; }
    std::optional<FileHeader> open(std::size_t) override {
        FileHeader header;
        header.name = "DATA.BIN";
        header.size = kSize;
        header.year = 2024, header.month = 1, header.day = 2;
        header.hour = 3, header.minute = 4, header.second = 5;
        position_ = 0;
        return header;
    }
    bool seek(std::int64_t offset) override {
        check(offset >= 0 && offset <= kSize + static_cast<std::int64_t>(kBlockData));
        position_ = offset;
        return true;
    }
    bool read(std::string& block) override {
        const std::int64_t n = std::max<std::int64_t>(
            0, std::min<std::int64_t>(static_cast<std::int64_t>(kBlockData), kSize - position_));
        block.assign(static_cast<std::size_t>(n), '\xFF');
        position_ += n;
        return true;
    }
    void close() override {}
    std::string error() const override { return {}; }

private:
    static constexpr std::int64_t kSize = 1000;
    std::int64_t position_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    MemorySink sink;
    MemorySource source;
    std::unique_ptr<TransferEngine> engine;
    if (data[0] & 1)
        engine = std::make_unique<RapidoxSender>(source, data[0] >> 3);
    else
        engine = std::make_unique<RapidoxReceiver>(sink, data[0] >> 3);
    const std::size_t chunk = ((data[0] >> 1) & 3) * 40 + 1;

    TimePoint now{};
    engine->start(now);
    std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    while (!rest.empty() && !engine->finished()) {
        const std::string_view piece = rest.substr(0, chunk);
        rest.remove_prefix(piece.size());
        engine->receive(piece, now);
        // The first byte of a piece says how much time passes after it (0 ... 70 s).
        now += std::chrono::seconds(static_cast<unsigned char>(piece[0]) % 8 * 10);
        engine->advance(now);
        engine->takeOutput();
        engine->takeStatus();
    }
    // Without further input every wait runs out: the transfer must end.
    for (int i = 0; i < 1000 && !engine->finished(); ++i) {
        now = std::max(now, engine->deadline() == kAtOnce ? now : engine->deadline());
        engine->advance(now);
        engine->takeOutput();
    }
    check(engine->finished());
    return 0;
}
