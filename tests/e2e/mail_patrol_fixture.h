#pragma once
// The fixture of the end-to-end mail tests: morvaline-cli patrols as MVL00001 against
// ludrix-host on an ephemeral port. The host keeps its world in a file of the test's folder
// (--save), so that what the patrols did on the host can be read back after each run.

#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/registry.h"
#include "support/ludrix_host.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace morvaline {

class MailPatrolFixture : public ::testing::Test {
protected:
    test::TempDir dir;
    std::string worldFile = (dir / "world.json").string();
    std::optional<test::LudrixHost> host;
    std::vector<std::string> hostOptions;

    // Writes the world, makes the user MVL00001 and starts the host with the options given
    // besides its fixed clock; call with ASSERT_NO_FATAL_FAILURE.
    void start(const std::string& worldText, std::vector<std::string> options = {}) {
        hostOptions = std::move(options);
        ASSERT_TRUE(writeFileAtomically(worldFile, worldText));
        ASSERT_EQ(cli("new-user MVL00001").status, 0);
        {
            // Quiet prompts end after 0.2 s of silence on the loopback line.
            Registry registry(dir / "config" / "Morvaline.conf");
            registry.writeInt("MVL00001", "IdleTime", 200);
            ASSERT_TRUE(registry.sync());
        }
        startHost();
        auto added =
            cli("ap add local --host 127.0.0.1:" + std::to_string(host->port()) + " --route 1");
        ASSERT_EQ(added.status, 0) << added.output;
    }
    void startHost() {
        std::vector<std::string> options = {"--save", "--clock", "2000/01/05 10:00:00"};
        options.insert(options.end(), hostOptions.begin(), hostOptions.end());
        host.emplace(worldFile, options);
        ASSERT_GT(host->port(), 0);
    }
    // Stops the host, changes its world with a Python statement on w, and starts it again.
    void changeWorld(const std::string& statement) {
        host.reset();
        auto changed = test::runCommand(
            "python3 -c 'import json,sys; p=sys.argv[1]; w=json.load(open(p)); " + statement +
            "; json.dump(w, open(p, \"w\"), ensure_ascii=False)' '" + worldFile + "'");
        ASSERT_EQ(changed.status, 0) << changed.output;
        startHost();
        ASSERT_EQ(cli("ap set 1 TelnetPort " + std::to_string(host->port())).status, 0);
    }
    // A Python expression over the host's world w, printed.
    std::string inWorld(const std::string& expression) {
        auto shown =
            test::runCommand("python3 -c 'import json,sys; w=json.load(open(sys.argv[1])); print(" +
                             expression + ")' '" + worldFile + "'");
        EXPECT_EQ(shown.status, 0) << shown.output;
        while (!shown.output.empty() && shown.output.back() == '\n') shown.output.pop_back();
        return shown.output;
    }
    // Put before each command line: further environment variables.
    std::string environment;
    // The standard input of the command line program.
    std::string input = "/dev/null";
    // The command line of a morvaline-cli run as MVL00001's user.
    std::string cliCommand(const std::string& args) const {
        return environment + "MORVALINE_CONFIG_DIR='" + (dir / "config").string() +
               "' XDG_DATA_HOME='" + (dir / "data").string() + "' MORVALINE_PASSWORD=morvaline '" +
               test::buildProgram("src/app/morvaline-cli") + "' " + args + " <'" + input + "'";
    }
    test::ProgramResult cli(const std::string& args) { return test::runCommand(cliCommand(args)); }
    // A patrol; its exit status is 0, or 3 when the run ended normally but some steps
    // failed.
    test::ProgramResult patrol(int expectedStatus = 0) {
        auto run = cli("patrol MVL00001");
        EXPECT_EQ(run.status, expectedStatus) << run.output;
        return run;
    }
    // The lines of a place's subject list.
    std::vector<std::string> listed(const std::string& place) {
        auto list = cli("list MVL00001 " + place);
        EXPECT_EQ(list.status, 0) << list.output;
        std::vector<std::string> lines;
        std::istringstream in(list.output);
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The one list line with this title.
    std::string lineOf(const std::string& place, const std::string& title) {
        std::string found;
        int matches = 0;
        for (const std::string& line : listed(place))
            if (line.find("  " + title + "  [") != std::string::npos) {
                found = line;
                ++matches;
            }
        EXPECT_EQ(matches, 1) << title;
        return found;
    }
    static int count(const std::string& text, const std::string& part) {
        int n = 0;
        for (std::size_t at = text.find(part); at != std::string::npos;
             at = text.find(part, at + 1))
            ++n;
        return n;
    }
};

}  // namespace morvaline
