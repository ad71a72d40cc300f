// Runs the diagnostic program over every scenario in tests/tablet/usbvm/ on the simulated tablet
// and checks what each scenario's `#?` lines say it must print (see the README there).
#include <gtest/gtest.h>

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <ostream>
#include <string>
#include <vector>

#include "tests/tablet/scenario_expectations.h"

namespace ondrel {
namespace {

struct Scenario {
    std::string name;
    std::string path;
    QStringList args;
    test::ScenarioExpectations expectations;
};

// Test names and failure messages show the scenario's name, not its bytes.
void PrintTo(const Scenario& scenario, std::ostream* out) {
    *out << scenario.name;
}

Scenario ReadScenario(const std::string& path, const std::string& name) {
    Scenario scenario{name, path, {}, test::ReadScenarioExpectations(path)};
    scenario.args =
        QString::fromStdString(scenario.expectations.args).split(u' ', Qt::SkipEmptyParts);
    return scenario;
}

std::vector<Scenario> AllScenarios() {
    std::vector<Scenario> scenarios;
    // The sources as the test's environment names them (a Windows path under Wine), else where
    // the build found them.
    const QString sources = qEnvironmentVariable("ONDREL_SOURCE_DIR");
    const QDir folder(sources.isEmpty() ? QStringLiteral(ONDREL_SCENARIO_DIR)
                                        : sources + QStringLiteral("/tests/tablet/usbvm"));
    for (const QString& file : folder.entryList({QStringLiteral("*.scn")}, QDir::Files)) {
        std::string name = file.chopped(4).toStdString();
        for (char& c : name) {
            c = (c == '-') ? '_' : c;
        }
        scenarios.push_back(ReadScenario(folder.filePath(file).toStdString(), name));
    }
    return scenarios;
}

class TabletScenario : public ::testing::TestWithParam<Scenario> {};

TEST_P(TabletScenario, TheDiagnosticProgramPrintsWhatTheScenarioSays) {
    const Scenario& scenario = GetParam();
    ASSERT_FALSE(scenario.expectations.lines.empty())
        << scenario.path << " has no #? line: what to check?";

    QProcess diag;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("ONDREL_TABLET_SIM"), QString::fromStdString(scenario.path));
    // The program is found from this one's folder; on Windows the runtime DLLs it needs are in
    // this folder too, and PATH is where a program looks for them.
    const QDir tests(QCoreApplication::applicationDirPath());
    environment.insert(QStringLiteral("PATH"), QDir::toNativeSeparators(tests.path()) +
                                                   QDir::listSeparator() +
                                                   environment.value(QStringLiteral("PATH")));
    diag.setProcessEnvironment(environment);
    diag.setProcessChannelMode(QProcess::MergedChannels);
    diag.start(tests.filePath(QStringLiteral(ONDREL_DIAG_PROGRAM)), scenario.args);
    ASSERT_TRUE(diag.waitForStarted(10000));
    const bool ended = diag.waitForFinished(60000);
    if (!ended) {
        diag.kill();
        diag.waitForFinished();
    }
    // Lines end in \r\n on Windows.
    const QString output = QString::fromUtf8(diag.readAll()).remove(u'\r');
    ASSERT_TRUE(ended) << "still running after 60 s:\n" << output.toStdString();
    EXPECT_EQ(diag.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(diag.exitCode(), scenario.expectations.exitStatus) << output.toStdString();

    const QStringList lines = output.split(u'\n');
    for (const test::ExpectedLine& expectation : scenario.expectations.lines) {
        const auto seen = lines.count(QString::fromStdString(expectation.line));
        if (expectation.count < 0) {
            EXPECT_GE(seen, 1) << "no line: " << expectation.line << "\n" << output.toStdString();
        } else {
            EXPECT_EQ(seen, expectation.count) << "line: " << expectation.line << "\n"
                                               << output.toStdString();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, TabletScenario, ::testing::ValuesIn(AllScenarios()),
                         [](const ::testing::TestParamInfo<Scenario>& scenario) {
                             return scenario.param.name;
                         });

}  // namespace
}  // namespace ondrel
