#pragma once

#include "BuildConstants.h"
#include "core/LocalDraft.h"

#include <QString>

#include <optional>

namespace vorno {

// Names the local draft file; every read and save goes to the file system.
struct DraftFile
{
    static constexpr qint64 readLimit = 64 * 1024 * 1024; // far above any note, far below harm

    QString path;

    // <application support>/<development app identifier>/draft.json
    [[nodiscard]] static DraftFile standard(const QString &appIdentifier
                                            = QString::fromLatin1(build::developmentAppIdentifier));

    // No draft when nothing exists at `path`. Throws FileError for a file that
    // cannot be read or holds another version, DecodingError for one that is not
    // a draft. Never changes the file; removes the temporary files of saves
    // that a crash cut short.
    [[nodiscard]] std::optional<LocalDraft> read() const;

    // Durably replaces the file; on failure the previous draft is untouched.
    void save(const LocalDraft &draft) const;

    friend bool operator==(const DraftFile &, const DraftFile &) = default;
};

} // namespace vorno
