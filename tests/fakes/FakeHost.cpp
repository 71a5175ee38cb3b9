#include "fakes/FakeHost.h"

#include "base/FileStamp.h"

namespace vandoret::testing {

void FakeHost::SetTimer1Enabled(bool enabled) {
    if (timer1 && !enabled) {
        ++timer1Disables;
    }
    timer1 = enabled;
}

void FakeHost::StartTimer5sek() {
    timer5sek = true;
    timer5sekStartedAt = now;
}

FileSignature FakeHost::FileState(const std::string& path) {
    ++stampQueries;
    if (const auto it = stamps.find(path); it != stamps.end()) {
        return it->second == -1 ? FileSignature{} : FileSignature{it->second, it->second, 0};
    }
    return vandoret::FileState(path);
}

bool FakeHost::AskYesNo(const std::string& question) {
    questions.push_back(question);
    if (yesNoAnswers.empty()) {
        return false;
    }
    const bool answer = yesNoAnswers.front();
    yesNoAnswers.pop_front();
    return answer;
}

std::optional<std::string> FakeHost::OpenFileDialog(const std::string& title, const std::vector<FileFilter>&) {
    openTitles.push_back(title);
    if (openAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = openAnswers.front();
    openAnswers.pop_front();
    return answer;
}

std::optional<std::string> FakeHost::SaveFileDialog(const std::string& title, const std::string&,
                                                    const std::vector<FileFilter>&) {
    saveTitles.push_back(title);
    if (saveAnswers.empty()) {
        return std::nullopt;
    }
    auto answer = saveAnswers.front();
    saveAnswers.pop_front();
    return answer;
}

bool FakeHost::ShellExecute(const std::string& verb, const std::string& file) {
    shellCalls.emplace_back(verb, file);
    return shellResult;
}

} // namespace vandoret::testing
