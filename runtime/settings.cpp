#include "runtime/settings.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "runtime/ini_text.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFolder = "tarvikdebug";
constexpr const char* kFile = "tarvikdebug.conf";

// Asked afresh each time: tests (and a user who moves it) may point XDG_CONFIG_HOME
// elsewhere after start-up.
fs::path settingsPath() {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    fs::path base;
    if (config && *config == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        base = fs::path(home && *home ? home : "/") / ".config";
    }
    return base / kFolder / kFile;
}

// "group/name" as the group and the key within it; a key without a group is [General]'s.
void splitKey(const std::string& full, std::string* group, std::string* key) {
    const std::size_t slash = full.find('/');
    *group = slash == std::string::npos ? std::string() : full.substr(0, slash);
    *key = slash == std::string::npos ? full : full.substr(slash + 1);
}

bool readAll(const fs::path& path, std::string* text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Writes text in place of path's file at once or not at all: a crash or a full disk never
// leaves half a file.
bool replaceFile(const fs::path& path, const std::string& text) {
    std::error_code error;
    fs::create_directories(path.parent_path(), error);
    std::string temporary = (path.parent_path() / (path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0) return false;
    bool written = ::fchmod(fd, 0644) == 0;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        written = n > 0;
        if (n > 0) done += static_cast<std::size_t>(n);
    }
    written = ::fsync(fd) == 0 && written;
    written = ::close(fd) == 0 && written;
    if (written && ::rename(temporary.c_str(), path.c_str()) == 0) return true;
    ::unlink(temporary.c_str());
    return false;
}

}  // namespace

std::string SettingsFilePath() {
    return settingsPath().string();
}

int LoadSetting(const char* key, char* value, int size) {
    if (value && size > 0) value[0] = '\0';
    if (!key || !*key) return 0;
    std::string text, group, name;
    if (!readAll(settingsPath(), &text)) return 0;
    splitKey(key, &group, &name);
    const std::optional<std::string> found = IniValue(text, group, name);
    if (!found) return 0;
    if (value && size > 0) {
        const std::size_t n = std::min(found->size(), static_cast<std::size_t>(size - 1));
        std::memcpy(value, found->data(), n);
        value[n] = '\0';
    }
    return 1;
}

int SaveSetting(const char* key, const char* value) {
    if (!key || !*key || !value) return -1;
    const fs::path path = settingsPath();
    std::string text, group, name;
    std::error_code error;
    // A file that exists but cannot be read must not be replaced by one holding this key only.
    if (fs::exists(path, error) && !readAll(path, &text)) return -1;
    splitKey(key, &group, &name);
    return replaceFile(path, IniWithValue(text, group, name, value)) ? 0 : -1;
}
