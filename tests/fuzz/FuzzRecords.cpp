// Every JSON record reader. The first byte picks the record; a record that
// reads must write out and read back as the same record, and write the same
// bytes again.
#include "FuzzInput.h"

#include "core/CloudConfig.h"
#include "core/CloudIdentity.h"
#include "core/CloudSession.h"
#include "core/CloudWork.h"
#include "core/CollectedFile.h"
#include "core/EncouragementClaim.h"
#include "core/EncouragementNote.h"
#include "core/EncouragementState.h"
#include "core/FileCollectionBatch.h"
#include "core/FileCollectionPolicy.h"
#include "core/LocalDraft.h"
#include "core/PendingWork.h"

#include <exception>

using namespace vorno;

namespace {

template<class Record>
void roundTrip(const QByteArray &json)
{
    Record first;
    try {
        first = Record::fromJson(json);
    } catch (const std::exception &) {
        return; // refused whole, as a reader must
    }
    const QByteArray written = first.toJson();
    const Record second = Record::fromJson(written); // what we wrote must read back
    FUZZ_ASSERT(second == first);
    FUZZ_ASSERT(second.toJson() == written);
}

template<class Record>
void readOnly(const QByteArray &json)
{
    try {
        (void)Record::fromJson(json);
    } catch (const std::exception &) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const QByteArray json = QByteArray::fromRawData(reinterpret_cast<const char *>(data) + 1, qsizetype(size - 1));
    switch (data[0] % 12) {
    case 0: roundTrip<CloudIdentity>(json); break;
    case 1: roundTrip<CloudSession>(json); break;
    case 2: roundTrip<CloudWork>(json); break;
    case 3: roundTrip<CollectedFile>(json); break;
    case 4: roundTrip<FileCollectionBatch>(json); break;
    case 5: roundTrip<FileCollectionPolicy>(json); break;
    case 6: roundTrip<LocalDraft>(json); break;
    case 7: roundTrip<PendingWork>(json); break;
    case 8: readOnly<CloudConfig>(json); break;
    case 9: readOnly<EncouragementClaim>(json); break;
    case 10: readOnly<EncouragementNote>(json); break;
    case 11: readOnly<EncouragementState>(json); break;
    }
    return 0;
}
