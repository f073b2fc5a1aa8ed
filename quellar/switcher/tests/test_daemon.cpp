// The daemon as a user and the controller see it: its command-line texts and exit statuses,
// and the running process on a simulated processor and a fake /proc and /sys that the test
// rewrites in place, and on the msr backend with regular files for registers.

#include "quellar/common/core/driver_entries.h"

#include <chrono>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

std::string contentsOf(const fs::path& path) {
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// Rewrites a file in place (same inode), as a kernel file changes under a reader: one write from
// offset 0, then the length cut, so that the reader never finds it empty or half written (the
// counters only grow, and the other files keep their length).
void rewrite(const fs::path& path, const std::string& text) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0) << path;
    EXPECT_EQ(::pwrite(fd, text.data(), text.size(), 0), ssize_t(text.size()));
    EXPECT_EQ(::ftruncate(fd, off_t(text.size())), 0);
    ::close(fd);
}

class Daemon {
public:
    // Starts QuellarSwitcher (or the program named by the environment variable `program`)
    // with `args` and extra `environment`, its output in files.
    Daemon(const fs::path& folder, std::vector<std::string> args,
           std::vector<std::string> environment = {}, const char* program = "QUELLAR_SWITCHER")
        : m_out(folder / "stdout"), m_err(folder / "stderr") {
        args.insert(args.begin(), std::getenv(program));
        m_pid = ::fork();
        if (m_pid == 0) {
            ::dup2(::open(m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
            ::dup2(::open(m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 2);
            for (std::string& variable : environment)
                ::putenv(variable.data());
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
    }
    ~Daemon() {
        if (m_pid > 0 && !m_status)
            stop(SIGKILL);
    }
    // Waits for the end; answers the exit status, or -signal.
    int wait() {
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_status = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
        return *m_status;
    }
    int stop(int signal) {
        ::kill(m_pid, signal);
        return wait();
    }
    std::string out() const { return contentsOf(m_out); }
    std::string err() const { return contentsOf(m_err); }

private:
    fs::path m_out, m_err;
    pid_t m_pid = -1;
    std::optional<int> m_status;
};

class DaemonTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quellar-daemon-XXXXXX";
        m_root = ::mkdtemp(pattern);
    }
    void TearDown() override { fs::remove_all(m_root); }
    fs::path m_root;
};

// Polls `done` every 10 ms for at most `limit`.
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds limit = 5s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

} // namespace

TEST_F(DaemonTest, CommandLineTextsAndStatusesAreExact) {
    const std::string usage =
        "usage: QuellarSwitcher [-a XXXX:YYYY (F/V adapter settings maximum 12)] [-b XXXX:YYYY "
        "(F/V battery settings maximum 12)] [-l XX:YY (CPU limits lower:upper)]\n[-t XX (using "
        "temperature limit)] [-i x (x = samples/s, between 1 and 50)]\n";
    {
        Daemon version(m_root, {"-v"});
        EXPECT_EQ(version.wait(), 0);
        EXPECT_EQ(version.err(), "QuellarSwitcher version 1.0\n");
        EXPECT_EQ(version.out(), "");
    }
    {
        Daemon version(m_root, {"--version"});
        EXPECT_EQ(version.wait(), 0);
        EXPECT_EQ(version.out(), "QuellarSwitcher version 1.0\n");
        EXPECT_EQ(version.err(), "");
    }
    {
        Daemon help(m_root, {"--help"});
        EXPECT_EQ(help.wait(), 0);
        EXPECT_EQ(help.out(), usage);
        EXPECT_EQ(help.err(), "");
    }
    // A usage error of the rules' own (a missing argument, a rate out of range) ends with
    // status 0; an option nobody defined is a caller's mistake, status 2.
    for (auto [args, status] : std::vector<std::pair<std::vector<std::string>, int>>{
             {{"-a"}, 0},
             {{"-i", "51"}, 0},
             {{"-z"}, 2},
             {{"-a", "1", "-b", "2", "--frobnicate"}, 2}}) {
        Daemon bad(m_root, args);
        EXPECT_EQ(bad.wait(), status) << args.back();
        EXPECT_EQ(bad.err(), usage) << args.back();
        EXPECT_EQ(bad.out(), "");
    }
    Daemon onlyAdapter(m_root, {"-a", "2588:3106"});
    EXPECT_EQ(onlyAdapter.wait(), 1);
    EXPECT_EQ(onlyAdapter.err(), "");
}

TEST_F(DaemonTest, AnUnknownDriverEndsWithStatusOne) {
    Daemon daemon(m_root, {"-a", "3112", "-b", "1800"}, {"QUELLAR_DRIVER=floppy"});
    EXPECT_EQ(daemon.wait(), 1);
    EXPECT_EQ(daemon.err(), "QuellarSwitcher: QUELLAR_DRIVER=floppy is neither msr nor sim:DIR\n");
}

TEST_F(DaemonTest, TheSimulatorAnswersHelpVersionAndUnknownOptions) {
    {
        Daemon help(m_root, {"--help"}, {}, "QUELLAR_SIM");
        EXPECT_EQ(help.wait(), 0);
        EXPECT_TRUE(help.out().starts_with("usage: quellar-sim init DIR\n")) << help.out();
    }
    {
        Daemon version(m_root, {"--version"}, {}, "QUELLAR_SIM");
        EXPECT_EQ(version.wait(), 0);
        EXPECT_EQ(version.out(), "quellar-sim version 1.0\n");
    }
    for (auto args : std::vector<std::vector<std::string>>{{"--frobnicate"}, {"init"}, {}}) {
        Daemon bad(m_root, args, {}, "QUELLAR_SIM");
        EXPECT_EQ(bad.wait(), 2);
        EXPECT_EQ(bad.err(), "usage: quellar-sim init DIR\n");
        EXPECT_EQ(bad.out(), "");
    }
}

TEST_F(DaemonTest, FollowsLoadTemperatureAndPowerSourceOnASimulatedProcessor) {
    const fs::path cpu = m_root / "cpu";
    ASSERT_EQ(
        std::system((std::string(std::getenv("QUELLAR_SIM")) + " init " + cpu.string()).c_str()),
        0);
    fs::create_directories(m_root / "proc");
    fs::create_directories(m_root / "sys/class/power_supply/AC");
    fs::create_directories(m_root / "sys/class/power_supply/BAT0");
    rewrite(m_root / "sys/class/power_supply/AC/type", "Mains\n");
    rewrite(m_root / "sys/class/power_supply/AC/online", "1\n");
    rewrite(m_root / "sys/class/power_supply/BAT0/type", "Battery\n");
    std::uint64_t busy = 1000, idle = 1000;
    auto load = [&](int percent) {
        busy += std::uint64_t(percent);
        idle += std::uint64_t(100 - percent);
        rewrite(m_root / "proc/stat", "cpu  " + std::to_string(busy) + " 0 0 " +
                                          std::to_string(idle) + " 0 0 0 0 0 0\ncpu0 1 1 1 1\n");
    };
    load(50);
    const fs::path log = cpu / "ctl.log";
    auto logged = [&] {
        return contentsOf(log);
    };
    // Keeps feeding `percent` load until the log reads `expected`.
    auto feedUntil = [&](int percent, const std::string& expected) {
        return eventually([&] {
            load(percent);
            return logged() == expected;
        });
    };

    Daemon daemon(m_root,
                  {"-a", "100:200:300", "-b", "10:20:30", "-l", "25:75", "-t", "70", "-i", "50"},
                  {"HW_ROOT=" + m_root.string(), "QUELLAR_DRIVER=sim:" + cpu.string()});
    ASSERT_TRUE(feedUntil(90, "100\n100\n200\n300\n")) << logged();
    ASSERT_TRUE(feedUntil(10, "100\n100\n200\n300\n200\n100\n")) << logged();
    ASSERT_TRUE(feedUntil(90, "100\n100\n200\n300\n200\n100\n200\n300\n")) << logged();

    rewrite(cpu / quellar::kTemperatureEntry, "80\n");
    const std::string cooled = "100\n100\n200\n300\n200\n100\n200\n300\n200\n100\n";
    ASSERT_TRUE(feedUntil(90, cooled)) << logged();

    // Cool down after a long idle stretch, so that the first load measured again is low, then
    // run between the limits until the next power check: the unplugging is the next write.
    idle += 1000000;
    load(0);
    rewrite(cpu / quellar::kTemperatureEntry, "50\n");
    rewrite(m_root / "sys/class/power_supply/AC/online", "0\n");
    const auto unplugged = std::chrono::steady_clock::now();
    ASSERT_TRUE(eventually([&] {
        load(50);
        return logged().size() > cooled.size();
    }));
    const auto noticed = std::chrono::steady_clock::now() - unplugged;
    EXPECT_EQ(logged(), cooled + "10\n")
        << "nothing between the limits, then the battery table from its first entry";
    EXPECT_LT(noticed, 4500ms) << "checked every three seconds, with room for a busy machine";

    EXPECT_EQ(daemon.stop(SIGTERM), 0);
    EXPECT_EQ(daemon.err(), "");
}

TEST_F(DaemonTest, WritesTheSettingIntoEveryProcessorsControlRegister) {
    std::string initial(0x200, '\0');
    const std::uint64_t control = 0xFFFFFFFFFFFF0000ull;
    std::memcpy(initial.data() + 0x199, &control, sizeof control);
    for (int cpu : {0, 1}) {
        fs::create_directories(m_root / ("dev/cpu/" + std::to_string(cpu)));
        std::ofstream(m_root / ("dev/cpu/" + std::to_string(cpu) + "/msr"), std::ios::binary)
            << initial;
    }
    fs::create_directories(m_root / "proc");
    rewrite(m_root / "proc/stat", "cpu 1 1 1 1\n");

    auto controlOf = [&](int cpu) {
        std::ifstream file(m_root / ("dev/cpu/" + std::to_string(cpu) + "/msr"), std::ios::binary);
        file.seekg(0x199);
        std::uint64_t value = 0;
        file.read(reinterpret_cast<char*>(&value), sizeof value);
        return value;
    };
    Daemon daemon(m_root, {"-a", "3112", "-b", "1800", "-i", "50"},
                  {"HW_ROOT=" + m_root.string(), "QUELLAR_DRIVER=msr"});
    EXPECT_TRUE(eventually([&] { return controlOf(0) != control && controlOf(1) != control; }));
    EXPECT_EQ(controlOf(0), 0xFFFFFFFFFFFF0C28ull);
    EXPECT_EQ(controlOf(1), 0xFFFFFFFFFFFF0C28ull);
    EXPECT_EQ(daemon.stop(SIGINT), 0);
}

TEST_F(DaemonTest, SaysOnceWhyTheRegistersCannotBeUsed) {
    Daemon daemon(m_root, {"-a", "3112", "-b", "1800", "-i", "50"},
                  {"HW_ROOT=" + m_root.string(), "QUELLAR_DRIVER=msr"});
    EXPECT_TRUE(eventually([&] { return !daemon.err().empty(); }));
    EXPECT_EQ(daemon.stop(SIGTERM), 0);
    EXPECT_EQ(daemon.err(), "QuellarSwitcher: msr: " + m_root.string() +
                                "/dev/cpu/0/msr not found; load the msr module\n");
}

// A simulated processor and a fake tree with /proc/stat, for the start-up messages.
class StartTest : public DaemonTest {
protected:
    void SetUp() override {
        DaemonTest::SetUp();
        ASSERT_EQ(
            std::system(
                (std::string(std::getenv("QUELLAR_SIM")) + " init " + cpu().string()).c_str()),
            0);
        fs::create_directories(m_root / "proc");
        rewrite(m_root / "proc/stat", "cpu 1 1 1 1\n");
    }
    fs::path cpu() const { return m_root / "cpu"; }
    void governor(int number, const std::string& driver, const std::string& governor) {
        const fs::path folder =
            m_root / ("sys/devices/system/cpu/cpu" + std::to_string(number) + "/cpufreq");
        fs::create_directories(folder);
        rewrite(folder / "scaling_driver", driver + "\n");
        rewrite(folder / "scaling_governor", governor + "\n");
    }
    std::vector<std::string> environment() const {
        return {"HW_ROOT=" + m_root.string(), "QUELLAR_DRIVER=sim:" + cpu().string()};
    }
};

TEST_F(StartTest, SaysInOneLineWhenTheKernelsCpufreqGovernorWouldFightIt) {
    governor(0, "acpi-cpufreq", "schedutil");
    governor(1, "acpi-cpufreq", "schedutil");
    Daemon daemon(m_root, {"-a", "3112", "-b", "1800", "-i", "50"}, environment());
    EXPECT_TRUE(eventually([&] { return !contentsOf(cpu() / "ctl.log").empty(); }));
    EXPECT_EQ(daemon.stop(SIGTERM), 0);
    EXPECT_EQ(daemon.err(),
              "QuellarSwitcher: the kernel's cpufreq driver steers cpu0 by \"acpi-cpufreq\" with "
              "the governor \"schedutil\" (and 1 more processors); it sets the same register as "
              "this daemon, so the two undo each other's settings: choose the \"userspace\" "
              "governor\n");
}

TEST_F(StartTest, SaysNothingUnderTheUserspaceGovernorOrWithoutCpufreq) {
    for (bool withCpufreq : {false, true}) {
        if (withCpufreq) {
            governor(0, "acpi-cpufreq", "userspace");
            fs::create_directories(m_root / "sys/devices/system/cpu/cpu1");
        }
        fs::remove(cpu() / "ctl.log");
        Daemon daemon(m_root, {"-a", "3112", "-b", "1800", "-i", "50"}, environment());
        EXPECT_TRUE(eventually([&] { return !contentsOf(cpu() / "ctl.log").empty(); }));
        EXPECT_EQ(daemon.stop(SIGTERM), 0);
        EXPECT_EQ(daemon.err(), "") << "with cpufreq: " << withCpufreq;
    }
}

TEST_F(StartTest, SaysWhenTheDriverRefusesASetting) {
    // A folder in place of the control entry: the simulated driver cannot replace it.
    fs::remove(cpu() / quellar::kControlEntry);
    fs::create_directory(cpu() / quellar::kControlEntry);
    Daemon daemon(m_root, {"-a", "3112", "-b", "1800", "-i", "50"}, environment());
    EXPECT_TRUE(eventually([&] { return !daemon.err().empty(); }));
    EXPECT_EQ(daemon.stop(SIGTERM), 0);
    EXPECT_EQ(daemon.err(), "QuellarSwitcher: the processor driver refused the setting 3112; "
                            "later refusals are not reported\n");
}
