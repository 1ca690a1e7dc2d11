#pragma once
// A list of changes to one INI file that are saved together: either all of them reach the
// disk in one rewrite, or none does (the first-run defaults, the user sequence).

#include <QString>
#include <vector>

namespace zentor {

struct IniEdit {
    enum class Kind { SetValue, RemoveSection };
    struct Step {
        Kind kind;
        QString section;
        QString key;    // SetValue only
        QString value;  // SetValue only
    };

    // Stores value under key in section, replacing an existing value.
    IniEdit& set(const QString& section, const QString& key, const QString& value)
    {
        steps.push_back({Kind::SetValue, section, key, value});
        return *this;
    }
    // Deletes the section with all its keys.
    IniEdit& removeSection(const QString& section)
    {
        steps.push_back({Kind::RemoveSection, section, QString(), QString()});
        return *this;
    }

    std::vector<Step> steps;  // applied in this order
};

}  // namespace zentor
