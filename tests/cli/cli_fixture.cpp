#include "tests/cli/cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <cstdlib>
#include <fstream>
#include <sstream>

void CliTest::SetUp() {
    // The virtual board answers within milliseconds; a short wait keeps silence quick.
    setenv("TARVIKCTL_RECEIVE_WAIT", std::to_string(kCliReceiveWaitSeconds).c_str(), 1);
    std::string error;
    ASSERT_TRUE(board.start(&error)) << error;
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvikctl-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder = pattern;
}

void CliTest::TearDown() {
    std::error_code ignored;
    if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
}

std::string CliTest::writeFile(const std::string& name, const std::string& contents) const {
    const std::string path = (folder / name).string();
    std::ofstream(path, std::ios::binary) << contents;
    return path;
}

std::vector<std::string> CliTest::onBoard(const std::vector<std::string>& args) const {
    std::vector<std::string> all{"--device", board.devicePath()};
    all.insert(all.end(), args.begin(), args.end());
    return all;
}

CliOutcome CliTest::run(const std::vector<std::string>& args, const std::string& input) const {
    return RunCli(onBoard(args), input);
}

std::vector<std::string> LinesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

QJsonObject JsonOf(const CliOutcome& outcome) {
    QJsonParseError error{};
    const QJsonDocument document =
        QJsonDocument::fromJson(QByteArray::fromStdString(outcome.out), &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        ADD_FAILURE() << "not one JSON object (" << error.errorString().toStdString() << ")\n"
                      << Described(outcome);
        return {};
    }
    return document.object();
}

std::vector<double> NumbersOf(const QJsonValue& array) {
    std::vector<double> numbers;
    for (const QJsonValue& value : array.toArray()) numbers.push_back(value.toDouble());
    return numbers;
}

std::string Described(const CliOutcome& outcome) {
    return "exit status " + std::to_string(outcome.status) + (outcome.killed ? " (killed)" : "") +
           "\n--- stdout:\n" + outcome.out + "--- stderr:\n" + outcome.err;
}
