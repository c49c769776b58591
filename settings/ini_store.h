// The INI store: named sections of named keys with text values, read from and
// written to a file as a whole. Everything is bytes (the settings files hold
// CP1251 text); no code page is converted and no value is trimmed.
//
// Names compare with only the ASCII letters folded, byte by byte as unsigned
// values, so "SysMode" and "SYSMODE" are one key while CP1251 letters compare
// as they are. Both sets stay sorted by that order, which is also the order
// Save writes. Names lose leading and trailing spaces and tabs wherever they
// are looked up or added.
#pragma once

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <string_view>

#include "settings/file_access.h"

class CSettingsFile;
class CSettingsSection;

// < 0, 0 or > 0 as a sorts before, equal to or after b.
int CompareSettingsNames(std::string_view a, std::string_view b);

// Orders owned entries by name and finds them by a plain name as well.
struct SettingsNameLess {
    using is_transparent = void;

    template <class A, class B>
    bool operator()(const A& a, const B& b) const {
        return CompareSettingsNames(nameOf(a), nameOf(b)) < 0;
    }

  private:
    static std::string_view nameOf(std::string_view name) { return name; }
    template <class T>
    static std::string_view nameOf(const std::unique_ptr<T>& entry) {
        return entry->Name();
    }
};

class CSettingsKey {
  public:
    CSettingsKey(const CSettingsKey&) = delete;
    CSettingsKey& operator=(const CSettingsKey&) = delete;

    const std::string& Name() const { return name_; }
    const std::string& Value() const { return value_; }
    void SetValue(std::string_view value) { value_.assign(value); }
    CSettingsSection& Section() const { return section_; }

  private:
    friend class CSettingsSection;
    CSettingsKey(CSettingsSection& section, std::string_view name)
        : section_(section), name_(name) {}

    CSettingsSection& section_;
    std::string name_;
    std::string value_;
};

class CSettingsSection {
  public:
    using KeySet = std::set<std::unique_ptr<CSettingsKey>, SettingsNameLess>;

    CSettingsSection(const CSettingsSection&) = delete;
    CSettingsSection& operator=(const CSettingsSection&) = delete;

    const std::string& Name() const { return name_; }
    CSettingsFile& File() const { return file_; }

    // The key of that name, or nullptr.
    CSettingsKey* FindKey(std::string_view name) const;
    // The existing key, or a new one with an empty value.
    CSettingsKey& AddKey(std::string_view name);
    const KeySet& Keys() const { return keys_; }

  private:
    friend class CSettingsFile;
    CSettingsSection(CSettingsFile& file, std::string_view name) : file_(file), name_(name) {}

    CSettingsFile& file_;
    std::string name_;
    KeySet keys_;
};

class CSettingsFile {
  public:
    using SectionSet = std::set<std::unique_ptr<CSettingsSection>, SettingsNameLess>;

    // Replace cuts an existing file; CreateNew fails if the file exists, so a
    // temporary file can never overwrite someone else's.
    enum class SaveMode { Replace, CreateNew };

    CSettingsFile() = default;
    CSettingsFile(const CSettingsFile&) = delete;
    CSettingsFile& operator=(const CSettingsFile&) = delete;

    // False if the file cannot be opened or read, is not a regular file or
    // holds more than maxBytes; the store is then as it was. Otherwise the
    // store is emptied first unless keepExisting, and every section header and
    // key line of the file is added.
    bool Load(const std::string& path, bool keepExisting, std::size_t maxBytes = kNoSizeLimit);
    // False if the file cannot be opened or any byte of it cannot be written.
    // A failed write may leave a partial file behind: callers that must keep
    // the old file write elsewhere and rename (see SaveSettingsFile).
    bool Save(const std::string& path, SaveMode mode = SaveMode::Replace) const;
    // The same bytes to a stream opened for writing; false if any write fails.
    bool Save(std::FILE* file) const;
    void Clear() { sections_.clear(); }

    // The section of that name, or nullptr.
    CSettingsSection* FindSection(std::string_view name) const;
    // The existing section, or a new one without keys.
    CSettingsSection& AddSection(std::string_view name);
    const SectionSet& Sections() const { return sections_; }

    // A copy of the value, or empty text if the section or the key is missing.
    std::string GetValue(std::string_view section, std::string_view key) const;
    void SetValue(std::string_view section, std::string_view key, std::string_view value);

  private:
    void parse(std::string_view text);

    SectionSet sections_;
};
