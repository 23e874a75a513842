#include "platform/ini_profile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_set>

#include "platform/codepage.h"
#include "platform/file.h"
#include "platform/path_map.h"

namespace platform {

namespace {

constexpr size_t npos = std::string::npos;

std::recursive_mutex& fileLock() {
    static std::recursive_mutex m;
    return m;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view trim(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b])) ++b;
    while (e > b && isBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

std::string_view unquote(std::string_view v) {
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
        return v.substr(1, v.size() - 2);
    return v;
}

// The whole file into out. A folder, a device or a pipe is no settings file, nor is one larger
// than any settings file grows: those are refused unread, as is a file that cannot be read.
IniFileState readWholeFile(const std::string& osPath, std::string& out) {
    out.clear();
    // Not blocking: a pipe with no writer would hold the open forever.
    const int fd = ::open(osPath.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return errno == ENOENT || errno == ENOTDIR ? IniFileState::Missing : IniFileState::Refused;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || static_cast<uint64_t>(st.st_size) > kMaxProfileBytes) {
        ::close(fd);
        return IniFileState::Refused;
    }
    // The size may still change under the read: no more than the limit is taken either way.
    char buf[8192];
    for (;;) {
        const ssize_t r = ::read(fd, buf, sizeof buf);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0 || out.size() + static_cast<size_t>(r) > kMaxProfileBytes) {
            ::close(fd);
            out.clear();
            return IniFileState::Refused;
        }
        if (r == 0) break;
        out.append(buf, static_cast<size_t>(r));
    }
    ::close(fd);
    return IniFileState::Read;
}

// Whether fd is still the file at path (nobody removed or replaced it meanwhile).
bool stillNamed(int fd, const char* path) {
    struct stat byFd, byName;
    return ::fstat(fd, &byFd) == 0 && ::lstat(path, &byName) == 0 && byFd.st_dev == byName.st_dev &&
           byFd.st_ino == byName.st_ino;
}

// Temporary files of this file are "." + base + "." + six characters. A writer holds a lock on
// its own until it is renamed or removed, so one that can be locked was left by a writer that
// died; it is removed. Writers in this process are serialised, so only another process's live
// writer keeps its file.
void removeStaleTemporaries(const std::string& folder, const std::string& base) {
    DIR* d = ::opendir(folder.c_str());
    if (!d) return;
    const std::string prefix = "." + base + ".";
    while (const dirent* e = ::readdir(d)) {
        const std::string_view name(e->d_name);
        if (name.size() != prefix.size() + 6 || name.substr(0, prefix.size()) != prefix) continue;
        const std::string path = folder + "/" + std::string(name);
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
            stillNamed(fd, path.c_str()))
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(d);
}

// A new locked temporary file from tmpl ("...XXXXXX"); its name is left in name. -1 on failure.
int createTemporary(const std::string& tmpl, std::vector<char>& name) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        name.assign(tmpl.begin(), tmpl.end());
        name.push_back(0);
        const int fd = ::mkstemp(name.data());
        if (fd < 0) return -1;
        ::fcntl(fd, F_SETFD, FD_CLOEXEC);
        // Between mkstemp and the lock another process's sweep may have taken the file for
        // stale and removed it; then the lock is on a nameless file and a new one is made.
        if (::flock(fd, LOCK_EX) == 0 && stillNamed(fd, name.data())) return fd;
        ::close(fd);
    }
    return -1;
}

// Writes the bytes to a locked temporary file beside osPath, left open in fd and named in name;
// false (with the error number) when that fails, nothing left behind then.
bool writeBeside(const std::string& osPath, const std::string& bytes, std::vector<char>& name, int& fd,
                 uint32_t& error) {
    const size_t slash = osPath.find_last_of('/');
    const std::string folder = slash == npos ? "." : (slash == 0 ? "/" : osPath.substr(0, slash));
    const std::string base = slash == npos ? osPath : osPath.substr(slash + 1);
    struct stat fst;
    const bool found = ::stat(folder.c_str(), &fst) == 0;
    if (!found || !S_ISDIR(fst.st_mode)) {
        error = static_cast<uint32_t>(found ? ENOTDIR : errno);
        return false;
    }

    removeStaleTemporaries(folder, base);
    fd = createTemporary(folder + "/." + base + ".XXXXXX", name);
    if (fd < 0) {
        error = static_cast<uint32_t>(errno);
        return false;
    }

    // Keep the permissions of the file being replaced; a new one gets the usual ones.
    struct stat old;
    mode_t mode;
    if (::stat(osPath.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    bool ok = ::fchmod(fd, mode) == 0;
    size_t done = 0;
    while (ok && done < bytes.size()) {
        ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (w < 0 && errno == EINTR) continue;
        if (w < 0)
            ok = false;
        else if (w == 0)
            ok = false, errno = ENOSPC;
        else
            done += static_cast<size_t>(w);
    }
    if (ok && ::fsync(fd) != 0) ok = false;
    if (!ok) {
        error = static_cast<uint32_t>(errno);
        ::unlink(name.data());
        ::close(fd);
        fd = -1;
    }
    return ok;
}

// Writes the bytes to a temporary file beside osPath and renames it into place; false with the
// error number when that fails.
bool replaceWholeFile(const std::string& osPath, const std::string& bytes, uint32_t& error) {
    std::vector<char> name;
    int fd = -1;
    if (!writeBeside(osPath, bytes, name, fd, error)) return false;
    // Renamed (or removed) while still locked, so no sweep can take it for stale first.
    const bool ok = ::rename(name.data(), osPath.c_str()) == 0;
    if (!ok) {
        error = static_cast<uint32_t>(errno);
        ::unlink(name.data());
    }
    ::close(fd);
    return ok;
}

bool replaceWholeFile(const std::string& osPath, const std::string& bytes) {
    uint32_t error = 0;
    return replaceWholeFile(osPath, bytes, error);
}

// The file a settings file's write replaces: the file itself, or where its symbolic links lead,
// so that the links stay. Read-only when the file may not be written, or when it grants nobody
// writing (which binds even the administrator, as a read-only attribute does).
IniWriteResult writeTarget(const std::string& osPath, std::string& target, uint32_t& error) {
    target = osPath;
    struct stat st;
    if (::lstat(osPath.c_str(), &st) != 0) {
        // None yet: the write makes it (a missing folder fails there).
        if (errno == ENOENT) return IniWriteResult::Written;
        error = static_cast<uint32_t>(errno);
        return IniWriteResult::Failed;
    }
    if (S_ISLNK(st.st_mode)) {
        char* resolved = ::realpath(osPath.c_str(), nullptr);
        if (!resolved) {
            error = static_cast<uint32_t>(errno);
            return IniWriteResult::Failed;
        }
        target = resolved;
        std::free(resolved);
        if (::stat(target.c_str(), &st) != 0) {
            error = static_cast<uint32_t>(errno);
            return IniWriteResult::Failed;
        }
    }
    if (!S_ISREG(st.st_mode)) return IniWriteResult::Refused;
    if ((st.st_mode & 0222) == 0 || ::access(target.c_str(), W_OK) != 0) return IniWriteResult::ReadOnly;
    return IniWriteResult::Written;
}

// Copies text into buf of size bytes at whole characters; returns the bytes stored.
uint32_t copyOut(std::string_view text, char* buf, uint32_t size) {
    const auto* p = reinterpret_cast<const uint8_t*>(text.data());
    const uint8_t* end = p + text.size();
    uint32_t n = 0;
    while (p < end) {
        uint32_t len = static_cast<uint32_t>(sjisCharLength(p, end));
        if (n + len > size - 1) break;
        std::memcpy(buf + n, p, len);
        n += len;
        p += len;
    }
    buf[n] = 0;
    return n;
}

// A list of names, each terminated, with one more NUL at the end.
uint32_t copyList(const std::vector<std::string>& names, char* buf, uint32_t size) {
    if (size < 2) {
        buf[0] = 0;
        return 0;
    }
    uint32_t n = 0;
    for (const std::string& s : names) {
        if (n + s.size() + 1 > size - 1) {
            // Cut: what fits of this name, then the two terminators.
            uint32_t room = n <= size - 2 ? size - 2 - n : 0;
            std::memcpy(buf + n, s.data(), room);
            buf[size - 2] = 0;
            buf[size - 1] = 0;
            return size - 2;
        }
        std::memcpy(buf + n, s.data(), s.size());
        n += static_cast<uint32_t>(s.size());
        buf[n++] = 0;
    }
    buf[n] = 0;
    return n;
}

IniFileState loadDocument(const std::string& file, std::string& osPath, IniDocument& doc) {
    osPath = toOsPath(file);
    std::string bytes;
    const IniFileState state = osPath.empty() ? IniFileState::Missing : readWholeFile(osPath, bytes);
    doc = IniDocument::parse(bytes);
    return state;
}

}  // namespace

bool iniNameEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto x = static_cast<uint8_t>(a[i]);
        auto y = static_cast<uint8_t>(b[i]);
        if (isSjisLead(x) && i + 1 < a.size() && isSjisTrail(static_cast<uint8_t>(a[i + 1]))) {
            // A double-byte character: both bytes exactly.
            if (x != y || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (x >= 'A' && x <= 'Z') x = static_cast<uint8_t>(x + 32);
        if (y >= 'A' && y <= 'Z') y = static_cast<uint8_t>(y + 32);
        if (x != y) return false;
    }
    return true;
}

std::string iniNameKey(std::string_view name) {
    std::string key(name);
    for (size_t i = 0; i < key.size(); ++i) {
        const auto c = static_cast<uint8_t>(key[i]);
        if (isSjisLead(c) && i + 1 < key.size() && isSjisTrail(static_cast<uint8_t>(key[i + 1]))) {
            ++i;  // both bytes of a double-byte character stay as they are
        } else if (c >= 'A' && c <= 'Z') {
            key[i] = static_cast<char>(c + 32);
        }
    }
    return key;
}

// ---- IniDocument ----

IniDocument::Line IniDocument::classify(std::string text) {
    Line line;
    std::string_view t = trim(text);
    if (!t.empty() && t.front() == '[') {
        std::string_view inner = t.substr(1);
        size_t close = inner.find(']');
        line.kind = Kind::Section;
        line.name = std::string(trim(close == npos ? inner : inner.substr(0, close)));
    } else if (!t.empty() && t.front() != ';') {
        size_t eq = t.find('=');
        std::string_view key = trim(eq == npos ? t : t.substr(0, eq));
        if (!key.empty()) {
            line.kind = Kind::Key;
            line.name = std::string(key);
        }
    }
    line.text = std::move(text);
    return line;
}

IniDocument IniDocument::parse(std::string_view bytes) {
    IniDocument doc;
    size_t at = 0;
    while (at < bytes.size()) {
        size_t lf = bytes.find('\n', at);
        size_t end = lf == npos ? bytes.size() : lf;
        std::string_view raw = bytes.substr(at, end - at);
        if (!raw.empty() && raw.back() == '\r') raw.remove_suffix(1);
        doc.lines_.push_back(classify(std::string(raw)));
        at = lf == npos ? bytes.size() : lf + 1;
    }
    return doc;
}

std::string IniDocument::serialize() const {
    std::string out;
    for (const Line& l : lines_) {
        out += l.text;
        out += "\r\n";
    }
    return out;
}

size_t IniDocument::findSection(std::string_view section) const {
    std::string_view want = trim(section);
    for (size_t i = 0; i < lines_.size(); ++i)
        if (lines_[i].kind == Kind::Section && iniNameEqual(lines_[i].name, want)) return i;
    return npos;
}

size_t IniDocument::sectionEnd(size_t header) const {
    size_t i = header + 1;
    while (i < lines_.size() && lines_[i].kind != Kind::Section) ++i;
    return i;
}

size_t IniDocument::findKey(size_t header, std::string_view key) const {
    std::string_view want = trim(key);
    size_t end = sectionEnd(header);
    for (size_t i = header + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key && iniNameEqual(lines_[i].name, want)) return i;
    return npos;
}

bool IniDocument::get(std::string_view section, std::string_view key, std::string& value) const {
    size_t s = findSection(section);
    if (s == npos) return false;
    size_t k = findKey(s, key);
    if (k == npos) return false;
    const std::string& text = lines_[k].text;
    size_t eq = text.find('=');
    value = eq == npos ? std::string() : std::string(unquote(trim(std::string_view(text).substr(eq + 1))));
    return true;
}

std::vector<std::string> IniDocument::namesOfKind(Kind kind, size_t from, size_t to) const {
    std::vector<std::string> names;
    std::unordered_set<std::string> seen;
    for (size_t i = from; i < to; ++i) {
        if (lines_[i].kind == kind && seen.insert(iniNameKey(lines_[i].name)).second) names.push_back(lines_[i].name);
    }
    return names;
}

std::vector<std::string> IniDocument::sectionNames() const { return namesOfKind(Kind::Section, 0, lines_.size()); }

std::vector<std::string> IniDocument::keyNames(std::string_view section) const {
    size_t s = findSection(section);
    if (s == npos) return {};
    return namesOfKind(Kind::Key, s + 1, sectionEnd(s));
}

bool IniDocument::set(std::string_view section, std::string_view key, std::string_view value) {
    std::string text = std::string(trim(key)) + "=" + std::string(value);
    size_t s = findSection(section);
    if (s == npos) {
        std::string header(1, '[');
        header += trim(section);
        header += ']';
        lines_.push_back(classify(std::move(header)));
        lines_.push_back(classify(std::move(text)));
        return true;
    }
    size_t k = findKey(s, key);
    if (k != npos) {
        // The key keeps the spelling the file gave it.
        text = lines_[k].name + "=" + std::string(value);
        if (lines_[k].text == text) return false;
        lines_[k] = classify(std::move(text));
        return true;
    }
    // After the section's last key, so trailing blank lines and comments stay where they were.
    size_t at = s + 1;
    size_t end = sectionEnd(s);
    for (size_t i = s + 1; i < end; ++i)
        if (lines_[i].kind == Kind::Key) at = i + 1;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), classify(std::move(text)));
    return true;
}

bool IniDocument::removeKey(std::string_view section, std::string_view key) {
    size_t s = findSection(section);
    if (s == npos) return false;
    size_t k = findKey(s, key);
    if (k == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(k));
    return true;
}

bool IniDocument::removeSection(std::string_view section) {
    size_t s = findSection(section);
    if (s == npos) return false;
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(s),
                 lines_.begin() + static_cast<std::ptrdiff_t>(sectionEnd(s)));
    return true;
}

// ---- the profile functions ----

IniFileState readProfileDocument(const std::string& file, IniDocument& doc) {
    std::lock_guard<std::recursive_mutex> lock(fileLock());
    std::string osPath;
    return loadDocument(file, osPath, doc);
}

uint32_t getProfileString(const IniDocument& doc, const char* section, const char* key, const char* def, char* buf,
                          uint32_t size) {
    if (!buf || size == 0) return 0;
    if (!section) return copyList(doc.sectionNames(), buf, size);
    if (!key) return copyList(doc.keyNames(section), buf, size);
    std::string value;
    if (doc.get(section, key, value)) return copyOut(value, buf, size);
    std::string_view d = def ? std::string_view(def) : std::string_view();
    while (!d.empty() && isBlank(d.back())) d.remove_suffix(1);
    return copyOut(d, buf, size);
}

uint32_t getPrivateProfileString(const char* section, const char* key, const char* def, char* buf, uint32_t size,
                                 const std::string& file) {
    if (!buf || size == 0) return 0;
    IniDocument doc;
    readProfileDocument(file, doc);
    return getProfileString(doc, section, key, def, buf, size);
}

namespace {

// One write applied to the document; whether the file must be written (a value that is already
// there still makes sure the file exists).
bool applyEdit(IniDocument& doc, const std::string& osPath, const char* section, const char* key, const char* value) {
    if (!key) return doc.removeSection(section);
    if (!value) return doc.removeKey(section, key);
    std::string_view v(value);
    v = v.substr(0, std::min(v.find('\r'), v.find('\n')));
    if (doc.set(section, key, v)) return true;
    struct stat st;
    return ::stat(osPath.c_str(), &st) != 0;
}

}  // namespace

bool writePrivateProfileString(const char* section, const char* key, const char* value, const std::string& file) {
    if (!section) return false;
    return writePrivateProfileEdits({IniEdit{section, key ? std::optional<std::string>(key) : std::nullopt,
                                             value ? std::optional<std::string>(value) : std::nullopt}},
                                    file);
}

IniWriteResult writeProfileEdits(const std::vector<IniEdit>& edits, const std::string& file, uint32_t* error) {
    std::lock_guard<std::recursive_mutex> lock(fileLock());
    uint32_t unused = 0;
    uint32_t& why = error ? *error : unused;
    why = 0;
    IniDocument doc;
    std::string osPath;
    // A file that was refused is kept as it is: a write would put the edits in place of it.
    if (loadDocument(file, osPath, doc) == IniFileState::Refused) return IniWriteResult::Refused;
    if (osPath.empty()) {
        why = ENOENT;
        return IniWriteResult::Failed;
    }
    bool changed = false;
    for (const IniEdit& e : edits) {
        const char* key = e.key ? e.key->c_str() : nullptr;
        const char* value = e.value ? e.value->c_str() : nullptr;
        changed = applyEdit(doc, osPath, e.section.c_str(), key, value) || changed;
    }
    if (!changed) return IniWriteResult::Written;
    // A file the next read refuses would lose every setting in it, not only these.
    const std::string bytes = doc.serialize();
    if (bytes.size() > kMaxProfileBytes) return IniWriteResult::TooLarge;
    std::string target;
    if (const IniWriteResult r = writeTarget(osPath, target, why); r != IniWriteResult::Written) return r;
    return replaceWholeFile(target, bytes, why) ? IniWriteResult::Written : IniWriteResult::Failed;
}

bool writePrivateProfileEdits(const std::vector<IniEdit>& edits, const std::string& file) {
    return writeProfileEdits(edits, file) == IniWriteResult::Written;
}

std::string profileStructText(const void* data, uint32_t size) {
    static const char hex[] = "0123456789ABCDEF";
    const auto* p = static_cast<const uint8_t*>(data);
    std::string text;
    text.reserve(size * 2u + 2u);
    uint8_t sum = 0;
    for (uint32_t i = 0; i < size; ++i) {
        text += hex[p[i] >> 4];
        text += hex[p[i] & 15];
        sum = static_cast<uint8_t>(sum + p[i]);
    }
    text += hex[sum >> 4];
    text += hex[sum & 15];
    return text;
}

bool writePrivateProfileStruct(const char* section, const char* key, const void* data, uint32_t size,
                               const std::string& file) {
    if (!section || !key) return false;
    if (!data) return writePrivateProfileString(section, key, nullptr, file);
    return writePrivateProfileString(section, key, profileStructText(data, size).c_str(), file);
}

bool getPrivateProfileStruct(const char* section, const char* key, void* buf, uint32_t size, const std::string& file) {
    if (!section || !key || !buf) return false;
    std::string value;
    {
        IniDocument doc;
        readProfileDocument(file, doc);
        if (!doc.get(section, key, value)) return false;
    }
    if (value.size() != (uint64_t(size) + 1) * 2) return false;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::vector<uint8_t> bytes(size + 1u);
    for (size_t i = 0; i < bytes.size(); ++i) {
        int hi = nibble(value[2 * i]), lo = nibble(value[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes[i] = static_cast<uint8_t>(hi << 4 | lo);
    }
    uint8_t sum = 0;
    for (uint32_t i = 0; i < size; ++i) sum = static_cast<uint8_t>(sum + bytes[i]);
    if (sum != bytes[size]) return false;
    if (size) std::memcpy(buf, bytes.data(), size);
    return true;
}

bool replaceFileContents(const std::string& path, const std::string& bytes) {
    return replaceWholeFile(toOsPath(path), bytes);
}

FileReplacement::~FileReplacement() {
    if (fd_ < 0) return;
    ::unlink(temporary_.data());
    ::close(fd_);
}

bool FileReplacement::write(const std::string& path, const std::string& bytes) {
    if (fd_ >= 0) return false;
    osPath_ = toOsPath(path);
    return writeBeside(osPath_, bytes, temporary_, fd_, error_);
}

bool FileReplacement::commit() {
    if (fd_ < 0) return false;
    const bool ok = ::rename(temporary_.data(), osPath_.c_str()) == 0;
    if (!ok) {
        error_ = static_cast<uint32_t>(errno);
        ::unlink(temporary_.data());
    }
    ::close(fd_);
    fd_ = -1;
    return ok;
}

}  // namespace platform
