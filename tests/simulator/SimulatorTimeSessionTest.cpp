#include "FakeSimulatorTools.h"

#include <gtest/gtest.h>

namespace cadrelle::test {
namespace {

using Calls = std::vector<std::string>;

const SimulatorTimeStatus kOff{"Off · Simulators use their normal clock.", false};
const std::string kList = "simctl [list] [devices] [--json]";

std::string overrideCall(const std::string& udid, const std::string& time) {
    return "simctl [status_bar] [" + udid + "] [override] [--time] [" + time + "]";
}
std::string clearCall(const std::string& udid) {
    return "simctl [status_bar] [" + udid + "] [clear]";
}

class SimulatorTimeSessionTest : public ::testing::Test {
protected:
    // The state file's UDIDs, or "(none)" when there is no file.
    std::string saved() const {
        if (!std::filesystem::exists(tools.stateFile())) {
            return "(none)";
        }
        return readText(tools.stateFile());
    }
    // The calls made since the last look.
    Calls takeCalls() const {
        auto calls = tools.calls();
        tools.clearLog();
        return calls;
    }

    FakeSimulatorTools tools;
    FakeDevice phone{"AAAA-1", "iPhone 15"};
    FakeDevice pad{"BBBB-2", "iPad Air"};
};

TEST_F(SimulatorTimeSessionTest, AppliesTheTimeToBootedIosSimulatorsOnce) {
    const FakeDevice shutDown{"CCCC-3", "iPhone SE", "Shutdown"};
    const FakeDevice unavailable{"DDDD-4", "iPhone Old", "Booted", false};
    FakeDevice unknownAvailability{"EEEE-5", "iPhone Mini", "Booted", std::nullopt};
    const FakeDevice watch{"FFFF-6", "Apple Watch", "Booted", true,
                           "com.apple.CoreSimulator.SimRuntime.watchOS-10-0"};
    tools.setDevices({phone, shutDown, unavailable, pad, watch});

    SimulatorTimeSession session(tools.stateFile(), tools.runner());
    // A time outside the day is refused before anything runs.
    for (const int minutes : {-1, 1440}) {
        session.minutes = minutes;
        EXPECT_EQ(session.refresh(), (SimulatorTimeStatus{"Choose a valid time.", true}));
    }
    EXPECT_TRUE(tools.calls().empty());
    session.minutes = 581;
    EXPECT_EQ(session.refresh(),
              (SimulatorTimeStatus{"9:41 applied to 2 running simulators.", false}));
    EXPECT_EQ(takeCalls(),
              (Calls{kList, overrideCall("AAAA-1", "9:41"), overrideCall("BBBB-2", "9:41")}));
    EXPECT_EQ(saved(), R"(["AAAA-1","BBBB-2"])");

    // The next pass only lists; an unknown availability counts as available.
    EXPECT_EQ(session.refresh().message, "9:41 applied to 2 running simulators.");
    EXPECT_EQ(takeCalls(), Calls{kList});
    tools.setDevices({phone, pad, unknownAvailability});
    EXPECT_EQ(session.refresh().message, "9:41 applied to 3 running simulators.");
    EXPECT_EQ(takeCalls(), (Calls{kList, overrideCall("EEEE-5", "9:41")}));

    // A new time is applied to every booted simulator; counts use the singular.
    session.minutes = 0;
    tools.setDevices({phone});
    EXPECT_EQ(session.refresh(),
              (SimulatorTimeStatus{"0:00 applied to 1 running simulator.", false}));
    EXPECT_EQ(takeCalls(), (Calls{kList, overrideCall("AAAA-1", "0:00")}));

    // With no booted iOS simulator the session waits.
    session.minutes = 1439;
    tools.setDevices({watch, shutDown});
    EXPECT_EQ(session.refresh(),
              (SimulatorTimeStatus{"Waiting for an iOS simulator · Will use 23:59.", false}));
    EXPECT_EQ(takeCalls(), Calls{kList});
}

TEST_F(SimulatorTimeSessionTest, FollowsSimulatorsThatBootShutDownAndDisappear) {
    tools.setDevices({phone, pad});
    {
        SimulatorTimeSession session(tools.stateFile(), tools.runner());
        session.minutes = 581;
        session.refresh();
    }
    EXPECT_EQ(saved(), R"(["AAAA-1","BBBB-2"])");
    takeCalls();

    // After a restart nothing is known to be applied, so booted ones get it again.
    SimulatorTimeSession session(tools.stateFile(), tools.runner());
    EXPECT_EQ(session.managed(), (std::set<std::string>{"AAAA-1", "BBBB-2"}));
    session.minutes = 581;
    session.refresh();
    EXPECT_EQ(takeCalls(),
              (Calls{kList, overrideCall("AAAA-1", "9:41"), overrideCall("BBBB-2", "9:41")}));

    // A simulator that shut down gets the override again when it boots.
    pad.state = "Shutdown";
    tools.setDevices({phone, pad});
    EXPECT_EQ(session.refresh().message, "9:41 applied to 1 running simulator.");
    pad.state = "Booted";
    tools.setDevices({phone, pad});
    session.refresh();
    EXPECT_EQ(takeCalls(), (Calls{kList, kList, overrideCall("BBBB-2", "9:41")}));

    // Off while the iPad is shut down: the iPhone is restored, the iPad waits.
    pad.state = "Shutdown";
    tools.setDevices({phone, pad});
    session.minutes.reset();
    EXPECT_EQ(session.refresh(),
              (SimulatorTimeStatus{"Off · Waiting for 1 simulator to start to restore the clock.",
                                   false}));
    EXPECT_EQ(takeCalls(), (Calls{kList, clearCall("AAAA-1")}));
    EXPECT_EQ(saved(), R"(["BBBB-2"])");
    EXPECT_EQ(session.refresh().message,
              "Off · Waiting for 1 simulator to start to restore the clock.");
    EXPECT_EQ(takeCalls(), Calls{kList});

    // When it boots, the next pass restores it.
    pad.state = "Booted";
    tools.setDevices({phone, pad});
    EXPECT_EQ(session.refresh(), kOff);
    EXPECT_EQ(takeCalls(), (Calls{kList, clearCall("BBBB-2")}));
    EXPECT_EQ(saved(), "[]");
    EXPECT_EQ(session.refresh(), kOff);
    EXPECT_TRUE(takeCalls().empty());
}

TEST_F(SimulatorTimeSessionTest, ForgetsDeletedSimulators) {
    writeText(tools.stateFile(), R"(["GONE-0","AAAA-1","GONE-9","BBBB-2"])");
    pad.state = "Shutdown";
    tools.setDevices({phone, pad});

    SimulatorTimeSession session(tools.stateFile(), tools.runner());
    EXPECT_EQ(session.refresh(),
              (SimulatorTimeStatus{"Off · Waiting for 1 simulator to start to restore the clock.",
                                   false}));
    EXPECT_EQ(takeCalls(), (Calls{kList, clearCall("AAAA-1")}));
    EXPECT_EQ(saved(), R"(["BBBB-2"])");

    // Deleting the last one leaves nothing to wait for.
    tools.setDevices({phone});
    EXPECT_EQ(session.refresh(), kOff);
    EXPECT_EQ(saved(), "[]");
}

TEST_F(SimulatorTimeSessionTest, AFailingSimulatorStaysManagedAndOthersGoOn) {
    tools.setDevices({phone, pad});
    tools.setFailing({"AAAA-1"}, "An error was encountered processing the command (code=405).\n");
    SimulatorTimeSession session(tools.stateFile(), tools.runner());
    session.minutes = 581;
    EXPECT_EQ(session.refresh(),
              (SimulatorTimeStatus{"iPhone 15: Couldn't update simulator time. An error was "
                                   "encountered processing the command (code=405).",
                                   true}));
    EXPECT_EQ(takeCalls(),
              (Calls{kList, overrideCall("AAAA-1", "9:41"), overrideCall("BBBB-2", "9:41")}));
    // Saved before its override ran, so it is restored later whatever happened.
    EXPECT_EQ(saved(), R"(["AAAA-1","BBBB-2"])");

    // The failed one is tried again on the next pass, the other is not.
    session.refresh();
    EXPECT_EQ(takeCalls(), (Calls{kList, overrideCall("AAAA-1", "9:41")}));

    // Both failing: one line per simulator.
    tools.setFailing({"AAAA-1", "BBBB-2"}, "busy");
    session.minutes.reset();
    EXPECT_EQ(session.refresh(),
              (SimulatorTimeStatus{"iPhone 15: Couldn't update simulator time. busy\n"
                                   "iPad Air: Couldn't update simulator time. busy",
                                   true}));
    EXPECT_EQ(saved(), R"(["AAAA-1","BBBB-2"])");

    // A clear that fails keeps the simulator for the next pass.
    tools.setFailing({"BBBB-2"}, "busy");
    EXPECT_TRUE(session.refresh().isError);
    EXPECT_EQ(saved(), R"(["BBBB-2"])");
    tools.setFailing({}, "");
    EXPECT_EQ(session.refresh(), kOff);
    EXPECT_EQ(saved(), "[]");
}

TEST_F(SimulatorTimeSessionTest, NeverTouchesSimulatorsWithoutItsSavedList) {
    tools.setDevices({phone});
    const std::string prefix = "Couldn't read saved simulator time settings: The data couldn't "
                               "be read because it ";
    const std::vector<std::pair<std::string, std::string>> files = {
        {"[\"AAAA-1\"", "isn't in the correct format."},
        {"[1,2]", "isn't in the correct format."},
        {"", "isn't in the correct format."},
        {"\"AAAA-1\"", "isn't in the correct format."},
        {"[\"AAAA-1\",null]", "is missing."},
        {"null", "is missing."},
    };
    for (const auto& [contents, reason] : files) {
        writeText(tools.stateFile(), contents);
        SimulatorTimeSession session(tools.stateFile(), tools.runner());
        for (const std::optional<int> minutes : {std::optional<int>(581), std::optional<int>()}) {
            session.minutes = minutes;
            EXPECT_EQ(session.refresh(), (SimulatorTimeStatus{prefix + reason, true})) << contents;
        }
        EXPECT_TRUE(session.managed().empty());
        EXPECT_TRUE(tools.calls().empty()) << contents;
        EXPECT_EQ(saved(), contents);
    }

    // A state file that cannot be read reports the system's reason.
    std::filesystem::remove(tools.stateFile());
    std::filesystem::create_directory(tools.stateFile());
    SimulatorTimeSession session(tools.stateFile(), tools.runner());
    EXPECT_EQ(session.refresh().message, "Couldn't read saved simulator time settings: " +
                                             tools.stateFile().string() + ": Is a directory");
    EXPECT_TRUE(tools.calls().empty());
}

TEST_F(SimulatorTimeSessionTest, ReportsBadListingsWithoutLosingTrack) {
    writeText(tools.stateFile(), R"(["AAAA-1"])");
    SimulatorTimeSession session(tools.stateFile(), tools.runner());
    session.minutes = 581;
    const std::string wrongFormat =
        "The data couldn't be read because it isn't in the correct format.";
    const std::string missing = "The data couldn't be read because it is missing.";
    const std::vector<std::pair<std::string, std::string>> listings = {
        {"not json at all", wrongFormat},
        {"[]", wrongFormat},
        {R"({"runtimes":[]})", missing},
        {R"({"devices":{"com.apple.CoreSimulator.SimRuntime.iOS-17-0":{}}})", wrongFormat},
        {R"({"devices":{"x.iOS-17":[{"name":"iPhone","state":"Booted"}]}})", missing},
        {R"({"devices":{"x.iOS-17":[{"udid":7,"name":"iPhone","state":"Booted"}]}})", wrongFormat},
        {R"({"devices":{"x.iOS-17":[{"udid":"A","name":"i","state":"Booted","isAvailable":"yes"}]}})",
         wrongFormat},
        {R"({"devices":{"x.iOS-17":[null]}})", missing},
        // A device of another runtime fails the whole listing too.
        {R"({"devices":{"x.tvOS-17":[{"udid":"A","name":"TV"}]}})", missing},
    };
    for (const auto& [listing, message] : listings) {
        tools.setListingText(listing);
        EXPECT_EQ(session.refresh(), (SimulatorTimeStatus{message, true})) << listing;
    }
    EXPECT_EQ(tools.calls(), Calls(listings.size(), kList));
    EXPECT_EQ(saved(), R"(["AAAA-1"])");

    // Keys the listing adds are ignored.
    tools.clearLog();
    tools.setListingText(R"({"devices":{"com.apple.CoreSimulator.SimRuntime.iOS-17-0":[
        {"udid":"AAAA-1","name":"iPhone 15","state":"Booted","isAvailable":true,
         "availabilityError":"","logPath":"/x","lastBootedAt":"2024-01-01T00:00:00Z"}]},
        "pairs":{},"version":3})");
    EXPECT_EQ(session.refresh().message, "9:41 applied to 1 running simulator.");
    EXPECT_EQ(tools.calls(), (Calls{kList, overrideCall("AAAA-1", "9:41")}));
}

TEST_F(SimulatorTimeSessionTest, PassesOddUdidsThroughUnchanged) {
    const FakeDevice odd{"id with space;$(touch pwned)`x`'\"\\ é", "Odd One"};
    const FakeDevice dashed{"--help", "Dashed"};
    tools.setDevices({odd, dashed});
    SimulatorTimeSession session(tools.stateFile(), tools.runner());
    session.minutes = 600;
    EXPECT_EQ(session.refresh().message, "10:00 applied to 2 running simulators.");
    EXPECT_EQ(takeCalls(),
              (Calls{kList, overrideCall(odd.udid, "10:00"), overrideCall("--help", "10:00")}));
    EXPECT_FALSE(std::filesystem::exists("pwned"));

    // They survive a restart through the state file and are restored.
    SimulatorTimeSession restarted(tools.stateFile(), tools.runner());
    EXPECT_EQ(restarted.managed(), (std::set<std::string>{odd.udid, "--help"}));
    EXPECT_EQ(restarted.refresh(), kOff);
    EXPECT_EQ(takeCalls(), (Calls{kList, clearCall(odd.udid), clearCall("--help")}));
    EXPECT_EQ(saved(), "[]");
}

TEST_F(SimulatorTimeSessionTest, AStateFileThatCannotBeWrittenStopsTheOverride) {
    tools.setDevices({phone});
    writeText(tools.root() / "blocker", "a file where a folder should be");
    const auto stateFile = tools.root() / "blocker/simulator-time-devices.json";
    SimulatorTimeSession session(stateFile, tools.runner());
    session.minutes = 581;
    const auto status = session.refresh();
    EXPECT_TRUE(status.isError);
    EXPECT_EQ(status.message.rfind("iPhone 15: " + (tools.root() / "blocker").string() + ": ", 0),
              0u)
        << status.message;
    // The override never ran, since it could not be recorded first.
    EXPECT_EQ(tools.calls(), Calls{kList});
    EXPECT_TRUE(session.managed().empty());
}

} // namespace
} // namespace cadrelle::test
