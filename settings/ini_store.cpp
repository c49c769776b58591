#include "settings/ini_store.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#endif

#include <cstdio>
#include <cstring>
#include <utility>

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view trimLeft(std::string_view s, std::string_view set) {
    const auto first = s.find_first_not_of(set);
    return first == std::string_view::npos ? std::string_view() : s.substr(first);
}

std::string_view trimRight(std::string_view s, std::string_view set) {
    const auto last = s.find_last_not_of(set);
    return last == std::string_view::npos ? std::string_view() : s.substr(0, last + 1);
}

std::string_view trimName(std::string_view name) {
    return trimRight(trimLeft(name, kBlanks), kBlanks);
}

unsigned char foldAscii(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u + ('a' - 'A')) : u;
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// A file opened for writing; with createNew, only one that did not exist.
// The C runtime on Windows ignores fopen's "x", so the exclusive create is
// asked of the OS there.
std::FILE* openForWriting(const std::string& path, bool createNew) {
#ifdef _WIN32
    if (createNew) {
        const int fd =
            ::_open(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0) return nullptr;
        std::FILE* file = ::_fdopen(fd, "wb");
        if (!file) ::_close(fd);
        return file;
    }
#endif
    return std::fopen(path.c_str(), createNew ? "wbx" : "wb");
}

// Collects output into large blocks so that writing many short pieces stays
// cheap, and remembers whether any write failed.
class BlockWriter {
  public:
    explicit BlockWriter(std::FILE* file) : file_(file) { buffer_.reserve(kBlock); }

    void put(std::string_view piece) {
        if (buffer_.size() + piece.size() > kBlock) flush();
        if (piece.size() > kBlock) {
            write(piece);
        } else {
            buffer_.append(piece);
        }
    }

    bool finish() {
        flush();
        return ok_ && std::fflush(file_) == 0;
    }

  private:
    static constexpr std::size_t kBlock = 1 << 16;

    void flush() {
        write(buffer_);
        buffer_.clear();
    }
    void write(std::string_view bytes) {
        if (ok_ && !bytes.empty())
            ok_ = std::fwrite(bytes.data(), 1, bytes.size(), file_) == bytes.size();
    }

    std::FILE* file_;
    std::string buffer_;
    bool ok_ = true;
};

}  // namespace

int CompareSettingsNames(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char ca = foldAscii(a[i]);
        const unsigned char cb = foldAscii(b[i]);
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

CSettingsKey* CSettingsSection::FindKey(std::string_view name) const {
    const auto it = keys_.find(trimName(name));
    return it == keys_.end() ? nullptr : it->get();
}

CSettingsKey& CSettingsSection::AddKey(std::string_view name) {
    name = trimName(name);
    auto it = keys_.lower_bound(name);
    if (it == keys_.end() || keys_.key_comp()(name, *it))
        it = keys_.insert(it, std::unique_ptr<CSettingsKey>(new CSettingsKey(*this, name)));
    return **it;
}

CSettingsSection* CSettingsFile::FindSection(std::string_view name) const {
    const auto it = sections_.find(trimName(name));
    return it == sections_.end() ? nullptr : it->get();
}

CSettingsSection& CSettingsFile::AddSection(std::string_view name) {
    name = trimName(name);
    auto it = sections_.lower_bound(name);
    if (it == sections_.end() || sections_.key_comp()(name, *it))
        it = sections_.insert(it,
                              std::unique_ptr<CSettingsSection>(new CSettingsSection(*this, name)));
    return **it;
}

std::string CSettingsFile::GetValue(std::string_view section, std::string_view key) const {
    const CSettingsSection* s = FindSection(section);
    const CSettingsKey* k = s ? s->FindKey(key) : nullptr;
    return k ? k->Value() : std::string();
}

void CSettingsFile::SetValue(std::string_view section, std::string_view key,
                             std::string_view value) {
    AddSection(section).AddKey(key).SetValue(value);
}

bool CSettingsFile::Load(const std::string& path, bool keepExisting, std::size_t maxBytes) {
    std::string text;
    if (!ReadRegularFile(path, maxBytes, text)) return false;
    if (!keepExisting) Clear();
    parse(text);
    return true;
}

// One pass over the text; every step on a line is linear in its length, so a
// whole file costs time linear in its size whatever its bytes are.
void CSettingsFile::parse(std::string_view text) {
    CSettingsSection* current = nullptr;
    while (!text.empty()) {
        const auto lf = text.find('\n');
        std::string_view line = text.substr(0, lf);
        text = lf == std::string_view::npos ? std::string_view() : text.substr(lf + 1);

        line = trimRight(trimLeft(line, kBlanks), "\r\n");
        if (line.empty()) continue;

        if (line.front() == '[') {
            const auto last = line.find_last_not_of(" \t\r\n");
            if (line[last] == ']') {
                current = &AddSection(line.substr(1, last - 1));
                continue;
            }
        }
        // A line starting with "=" has no key name and is not a key line,
        // even when another "=" follows.
        const auto eq = line.find('=');
        if (eq == std::string_view::npos || eq == 0 || current == nullptr) continue;
        current->AddKey(line.substr(0, eq)).SetValue(line.substr(eq + 1));
    }
}

bool CSettingsFile::Save(const std::string& path, SaveMode mode) const {
    FilePtr file(openForWriting(path, mode == SaveMode::CreateNew));
    if (!file) return false;
    const bool written = Save(file.get());
    return std::fclose(file.release()) == 0 && written;
}

bool CSettingsFile::Save(std::FILE* file) const {
    BlockWriter out(file);
    for (const auto& section : sections_) {
        out.put("[");
        out.put(section->Name());
        out.put("]\r\n");
        for (const auto& key : section->Keys()) {
            out.put(key->Name());
            out.put("=");
            out.put(key->Value());
            out.put("\r\n");
        }
    }
    return out.finish();
}
