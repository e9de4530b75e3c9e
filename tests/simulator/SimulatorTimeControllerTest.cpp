#include "FakeSimulatorTools.h"

#include "simulator/SimulatorTimeController.h"
#include "support/CoreApplication.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

namespace cadrelle::test {
namespace {

using namespace std::chrono_literals;

// The statuses a controller reported, from its queue.
class StatusLog {
public:
    SimulatorTimeController::StatusHandler handler() {
        return [this](const SimulatorTimeStatus& status) {
            std::lock_guard guard(lock_);
            messages_.push_back(status.message);
        };
    }
    std::vector<std::string> messages() {
        std::lock_guard guard(lock_);
        return messages_;
    }
    // Waits for the next status that is `message`; true when it came.
    bool waitForMessage(const std::string& message) {
        const auto from = static_cast<std::ptrdiff_t>(messages().size());
        return waitUntil([&] {
            const auto now = messages();
            return std::find(now.begin() + from, now.end(), message) != now.end();
        });
    }

private:
    std::mutex lock_;
    std::vector<std::string> messages_;
};

const SimulatorTimeTiming kQuick{200ms, 20ms};

class SimulatorTimeControllerTest : public ::testing::Test {
protected:
    // The controller's queue runs a Qt event loop, which needs an application object.
    void SetUp() override { ensureCoreApplication(); }

    FakeSimulatorTools tools;
    StatusLog statuses;
    FakeDevice phone{"AAAA-1", "iPhone 15"};
    FakeDevice pad{"BBBB-2", "iPad Air"};
};

TEST_F(SimulatorTimeControllerTest, AppliesOnConfigureAndOnEveryTick) {
    tools.setDevices({phone});
    SimulatorTimeController controller(tools.stateFile(), tools.runner(), statuses.handler(),
                                       kQuick);
    controller.configure(581);
    ASSERT_TRUE(statuses.waitForMessage("9:41 applied to 1 running simulator."));
    EXPECT_EQ(statuses.messages().front(), "9:41 applied to 1 running simulator.");

    // A simulator that boots later gets the time on a timer pass.
    tools.setDevices({phone, pad});
    EXPECT_TRUE(statuses.waitForMessage("9:41 applied to 2 running simulators."));

    // Turning the feature off restores both; the timer goes on, so a
    // simulator that shuts down first is restored once it boots again.
    pad.state = "Shutdown";
    tools.setDevices({phone, pad});
    controller.configure(std::nullopt);
    EXPECT_TRUE(
        statuses.waitForMessage("Off · Waiting for 1 simulator to start to restore the clock."));
    pad.state = "Booted";
    tools.setDevices({phone, pad});
    EXPECT_TRUE(statuses.waitForMessage("Off · Simulators use their normal clock."));
    EXPECT_EQ(readText(tools.stateFile()), "[]");
    controller.stop();

    const std::string list = "simctl [list] [devices] [--json]";
    std::vector<std::string> changes;
    for (const auto& call : tools.calls()) {
        if (call != list) {
            changes.push_back(call);
        }
    }
    EXPECT_EQ(changes,
              (std::vector<std::string>{"simctl [status_bar] [AAAA-1] [override] [--time] [9:41]",
                                        "simctl [status_bar] [BBBB-2] [override] [--time] [9:41]",
                                        "simctl [status_bar] [AAAA-1] [clear]",
                                        "simctl [status_bar] [BBBB-2] [clear]"}));
}

TEST_F(SimulatorTimeControllerTest, StopRestoresQuietlyAndEndsEverything) {
    tools.setDevices({phone, pad});
    SimulatorTimeController controller(tools.stateFile(), tools.runner(), statuses.handler(),
                                       kQuick);
    controller.configure(581);
    controller.configure(600);
    EXPECT_TRUE(statuses.waitForMessage("10:00 applied to 2 running simulators."));

    tools.clearLog();
    controller.stop();
    const auto reported = statuses.messages().size();
    // The final pass ran before stop() returned: it cleared both simulators
    // last (a timer pass may have listed them just before).
    const auto calls = tools.calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(std::vector<std::string>(calls.end() - 3, calls.end()),
              (std::vector<std::string>{"simctl [list] [devices] [--json]",
                                        "simctl [status_bar] [AAAA-1] [clear]",
                                        "simctl [status_bar] [BBBB-2] [clear]"}));
    EXPECT_EQ(readText(tools.stateFile()), "[]");

    // After stop nothing runs: neither configure nor the timer, and the final
    // pass reported nothing.
    tools.clearLog();
    controller.configure(581);
    controller.stop();
    EXPECT_FALSE(
        waitUntil([&] { return !tools.calls().empty() || statuses.messages().size() != reported; },
                  3 * kQuick.interval));
}

TEST_F(SimulatorTimeControllerTest, StopRestoresSimulatorsSavedByAnEarlierRun) {
    // The feature was on when the application last ended without restoring.
    writeText(tools.stateFile(), R"(["AAAA-1","BBBB-2"])");
    pad.state = "Shutdown";
    tools.setDevices({phone, pad});
    {
        SimulatorTimeController controller(tools.stateFile(), tools.runner(), statuses.handler());
        controller.stop();
    }
    EXPECT_EQ(tools.calls(), (std::vector<std::string>{"simctl [list] [devices] [--json]",
                                                       "simctl [status_bar] [AAAA-1] [clear]"}));
    EXPECT_EQ(readText(tools.stateFile()), R"(["BBBB-2"])");
    EXPECT_TRUE(statuses.messages().empty());

    // A controller dropped without stop() ends its queue and runs nothing more.
    tools.clearLog();
    {
        SimulatorTimeController controller(tools.stateFile(), tools.runner(), statuses.handler(),
                                           kQuick);
    }
    EXPECT_TRUE(tools.calls().empty());
}

} // namespace
} // namespace cadrelle::test
