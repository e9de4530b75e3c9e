#include "RunCadrelle.h"

#include <gtest/gtest.h>

#include <QProcessEnvironment>
#include <QStringList>

namespace cadrelle::test {

std::filesystem::path cadrelleExecutable() {
    return CADRELLE_EXECUTABLE;
}

namespace {

std::unique_ptr<QProcess>
start(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
      const std::filesystem::path& standardOutput = {}, const std::function<void()>& inChild = {},
      const std::vector<std::pair<std::string, std::string>>& environment = {}) {
    QStringList list;
    for (const auto& argument : arguments) {
        list << QString::fromStdString(argument);
    }
    auto process = std::make_unique<QProcess>();
    process->setWorkingDirectory(QString::fromStdString(folder.string()));
    if (!standardOutput.empty()) {
        process->setStandardOutputFile(QString::fromStdString(standardOutput.string()));
    }
    if (inChild) {
        process->setChildProcessModifier(inChild);
    }
    if (!environment.empty()) {
        auto variables = QProcessEnvironment::systemEnvironment();
        for (const auto& [name, value] : environment) {
            variables.insert(QString::fromStdString(name), QString::fromStdString(value));
        }
        process->setProcessEnvironment(variables);
    }
    process->start(QString::fromStdString(cadrelleExecutable().string()), list);
    EXPECT_TRUE(process->waitForStarted());
    return process;
}

} // namespace

Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const std::filesystem::path& standardOutput) {
    return finishCadrelle(*start(arguments, folder, standardOutput));
}

void expectFailure(const Outcome& outcome, const std::string& message) {
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.err, "Error: " + message + "\n");
    EXPECT_EQ(outcome.out, "");
}

Outcome runCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
                    const std::function<void()>& inChild) {
    return finishCadrelle(*start(arguments, folder, {}, inChild));
}

std::vector<Outcome> runCadrelleTogether(const std::vector<std::vector<std::string>>& runs,
                                         const std::filesystem::path& folder) {
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const auto& arguments : runs) {
        processes.push_back(start(arguments, folder));
    }
    std::vector<Outcome> outcomes;
    for (const auto& process : processes) {
        outcomes.push_back(finishCadrelle(*process));
    }
    return outcomes;
}

std::unique_ptr<QProcess>
startCadrelle(const std::vector<std::string>& arguments, const std::filesystem::path& folder,
              const std::vector<std::pair<std::string, std::string>>& environment) {
    return start(arguments, folder, {}, {}, environment);
}

Outcome finishCadrelle(QProcess& process) {
    process.waitForFinished(120'000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput().toStdString(),
            process.readAllStandardError().toStdString()};
}

Outcome stopCadrelle(QProcess& process, int signal) {
    // A pid of 0 would signal the whole process group, test runner included.
    if (process.processId() > 0) {
        ::kill(static_cast<pid_t>(process.processId()), signal);
    }
    return finishCadrelle(process);
}

} // namespace cadrelle::test
