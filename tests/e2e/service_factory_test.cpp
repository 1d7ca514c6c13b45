// End to end: a patrol of a new user's data set through the patrol controller against
// ludrix-host, its services from a replaced factory: the program's own set and one more
// for a kind of place that does not exist, added as a new service joins the factory.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

#include "comm/dialling_plan.h"
#include "link/result_codes.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "session/patrol_session.h"
#include "store/document.h"
#include "support/ludrix_host.h"
#include "support/qt_support.h"
#include "support/temp_dir.h"

namespace morvaline {
namespace {

constexpr int kMadeUpKind = 42;

// Records the places the walk reaches (patrol thread; read after the run has ended).
class MadeUpService final : public PlaceService {
public:
    explicit MadeUpService(std::vector<int>& reached) : reached_(reached) {}
    bool serves(int kind) const override { return kind == kMadeUpKind; }
    void reach(int place, PatrolWalk&) override { reached_.push_back(place); }

private:
    std::vector<int>& reached_;
};

class NoEvents final : public PatrolEvents {
public:
    void report(const Text&, std::string_view) override {}
};

TEST(EndToEndServices, TheWalkReachesAServiceAddedToTheFactory) {
    test::testApp();
    const char* source = std::getenv("MORVALINE_SOURCE_DIR");
    test::LudrixHost host(std::string(source ? source : ".") + "/host/worlds/sample.json");
    ASSERT_GT(host.port(), 0) << "ludrix-host did not start";

    test::TempDir dir;
    Registry registry(dir / "Morvaline.conf");
    auto opened = CTolDoc::open({dir.path(), "MVL00001", "morvaline"}, registry);
    ASSERT_TRUE(opened.doc) << sjisToUtf8(opened.error);
    CTolDoc& doc = *opened.doc;
    const int madeUp = doc.tree().add(0, 0, 0, "", "made up", kMadeUpKind, 0);

    AccessPointList points;
    AccessPoint local = AccessPoint::makeNew();
    local.telnetName = "127.0.0.1";
    local.telnetPort = std::to_string(host.port());
    local.route = static_cast<int>(LoginMode::AfterBrace);
    points.entries.push_back(local);
    DiallingPlan plan(points);
    ASSERT_TRUE(plan.start());

    LineSettings settings = lineSettingsOf(doc);
    settings.transfers->quietPeriod = std::chrono::milliseconds(100);  // the file mail's download ends soon
    LineStack line(doc.reporter(), std::move(settings));
    NoEvents events;
    PatrolSession session(line, events);
    session.setDiallingPlan(&plan);
    std::vector<int> reached;
    session.setServiceFactory([&reached](CPatrolEngine& engine, CTolDoc& d) {
        PlaceServices services = makePlaceServices(engine, d);
        services.add(std::make_unique<MadeUpService>(reached));
        return services;
    });
    PatrolOptions options;
    options.userId = "MVL00001";
    options.password = "morvaline";
    std::atomic<int> exitCode = 1;
    std::atomic<bool> ended = false;
    ASSERT_TRUE(session.startPatrol(doc, options, [&](int code) {
        exitCode = code;
        ended = true;
    }));
    ASSERT_TRUE(test::spinUntil([&] { return ended.load(); }, 120'000));
    EXPECT_EQ(exitCode, result::Ok) << result::toString(exitCode);
    EXPECT_EQ(reached, std::vector<int>{madeUp});
    doc.close();
}

}  // namespace
}  // namespace morvaline
