#include "platform/TpmKeyStore.h"

#include "platform/TpmError.h"

#include <QLoggingCategory>
#include <QtGlobal>

#include <tss2/tss2_esys.h>
#include <tss2/tss2_mu.h>
#include <tss2/tss2_tctildr.h>

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcTpm, "vorno.platform.tpm")

namespace vorno {

namespace {

constexpr std::size_t coordinateLength = 32;

void check(TSS2_RC rc, const char *step)
{
    if (rc != TSS2_RC_SUCCESS)
        throw TpmError(step, rc);
}

// One connection to the TPM, closed on every path.
class Connection
{
public:
    explicit Connection(const QByteArray &tcti)
    {
        check(Tss2_TctiLdr_Initialize(tcti.constData(), &m_tcti), "open TCTI");
        const TSS2_RC rc = Esys_Initialize(&m_context, m_tcti, nullptr);
        if (rc != TSS2_RC_SUCCESS) {
            Tss2_TctiLdr_Finalize(&m_tcti);
            throw TpmError("initialise ESAPI", rc);
        }
    }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;
    ~Connection()
    {
        Esys_Finalize(&m_context);
        Tss2_TctiLdr_Finalize(&m_tcti);
    }

    [[nodiscard]] ESYS_CONTEXT *get() const { return m_context; }

private:
    TSS2_TCTI_CONTEXT *m_tcti = nullptr;
    ESYS_CONTEXT *m_context = nullptr;
};

// A transient object, flushed when it goes out of scope.
class Transient
{
public:
    Transient(ESYS_CONTEXT *context, ESYS_TR handle) : m_context(context), m_handle(handle) { }
    Transient(const Transient &) = delete;
    Transient &operator=(const Transient &) = delete;
    ~Transient()
    {
        if (m_handle != ESYS_TR_NONE)
            Esys_FlushContext(m_context, m_handle);
    }

    [[nodiscard]] ESYS_TR get() const { return m_handle; }

private:
    ESYS_CONTEXT *m_context;
    ESYS_TR m_handle;
};

template<class T>
struct EsysFree
{
    void operator()(T *pointer) const { Esys_Free(pointer); }
};
template<class T>
using Owned = std::unique_ptr<T, EsysFree<T>>;

TPMT_PUBLIC eccTemplate(TPMA_OBJECT attributes)
{
    TPMT_PUBLIC area {};
    area.type = TPM2_ALG_ECC;
    area.nameAlg = TPM2_ALG_SHA256;
    area.objectAttributes = attributes;
    area.parameters.eccDetail.curveID = TPM2_ECC_NIST_P256;
    area.parameters.eccDetail.kdf.scheme = TPM2_ALG_NULL;
    area.parameters.eccDetail.scheme.scheme = TPM2_ALG_NULL;
    area.parameters.eccDetail.symmetric.algorithm = TPM2_ALG_NULL;
    return area;
}

// The standard storage root key template (TCG EK/SRK profile): the same
// template in the same hierarchy always yields the same key.
TPM2B_PUBLIC storageTemplate()
{
    TPM2B_PUBLIC result {};
    result.publicArea
        = eccTemplate(TPMA_OBJECT_FIXEDTPM | TPMA_OBJECT_FIXEDPARENT | TPMA_OBJECT_SENSITIVEDATAORIGIN
                      | TPMA_OBJECT_USERWITHAUTH | TPMA_OBJECT_NODA | TPMA_OBJECT_RESTRICTED | TPMA_OBJECT_DECRYPT);
    result.publicArea.parameters.eccDetail.symmetric.algorithm = TPM2_ALG_AES;
    result.publicArea.parameters.eccDetail.symmetric.keyBits.aes = 128;
    result.publicArea.parameters.eccDetail.symmetric.mode.aes = TPM2_ALG_CFB;
    result.publicArea.unique.ecc.x.size = coordinateLength;
    result.publicArea.unique.ecc.y.size = coordinateLength;
    return result;
}

TPM2B_PUBLIC agreementTemplate()
{
    TPM2B_PUBLIC result {};
    result.publicArea = eccTemplate(TPMA_OBJECT_FIXEDTPM | TPMA_OBJECT_FIXEDPARENT | TPMA_OBJECT_SENSITIVEDATAORIGIN
                                    | TPMA_OBJECT_USERWITHAUTH | TPMA_OBJECT_NODA | TPMA_OBJECT_DECRYPT);
    return result;
}

// A process killed while holding transient objects leaves them loaded in a TPM
// reached without a resource manager (swtpm over TCP, /dev/tpm0), until its
// object memory is full; they belong to nobody any more. Through /dev/tpmrm0
// only our own are listed, and the kernel flushes a dead process's already.
void flushAbandonedObjects(ESYS_CONTEXT *context)
{
    TPMI_YES_NO more = TPM2_NO;
    TPMS_CAPABILITY_DATA *data = nullptr;
    if (Esys_GetCapability(context, ESYS_TR_NONE, ESYS_TR_NONE, ESYS_TR_NONE, TPM2_CAP_HANDLES, TPM2_TRANSIENT_FIRST,
                           TPM2_MAX_CAP_HANDLES, &more, &data)
        != TSS2_RC_SUCCESS)
        return;
    for (UINT32 i = 0; i < data->data.handles.count; ++i) {
        ESYS_TR object = ESYS_TR_NONE;
        if (Esys_TR_FromTPMPublic(context, data->data.handles.handle[i], ESYS_TR_NONE, ESYS_TR_NONE, ESYS_TR_NONE,
                                  &object)
            == TSS2_RC_SUCCESS)
            Esys_FlushContext(context, object);
    }
    Esys_Free(data);
}

// Makes room for the two objects an operation loads (the storage primary and
// one key), reclaiming abandoned ones only when the TPM could not hold them.
void makeRoom(ESYS_CONTEXT *context)
{
    TPMI_YES_NO more = TPM2_NO;
    TPMS_CAPABILITY_DATA *data = nullptr;
    if (Esys_GetCapability(context, ESYS_TR_NONE, ESYS_TR_NONE, ESYS_TR_NONE, TPM2_CAP_TPM_PROPERTIES,
                           TPM2_PT_HR_TRANSIENT_AVAIL, 1, &more, &data)
        != TSS2_RC_SUCCESS)
        return;
    const bool full = data->data.tpmProperties.count == 1
        && data->data.tpmProperties.tpmProperty[0].property == TPM2_PT_HR_TRANSIENT_AVAIL
        && data->data.tpmProperties.tpmProperty[0].value < 2;
    Esys_Free(data);
    if (full)
        flushAbandonedObjects(context);
}

Transient storagePrimary(ESYS_CONTEXT *context)
{
    makeRoom(context);
    const TPM2B_SENSITIVE_CREATE sensitive {};
    const TPM2B_PUBLIC publicTemplate = storageTemplate();
    const TPM2B_DATA outsideInfo {};
    const TPML_PCR_SELECTION pcrs {};
    ESYS_TR handle = ESYS_TR_NONE;
    TPM2B_PUBLIC *outPublic = nullptr;
    TPM2B_CREATION_DATA *creationData = nullptr;
    TPM2B_DIGEST *creationHash = nullptr;
    TPMT_TK_CREATION *ticket = nullptr;
    const TSS2_RC rc = Esys_CreatePrimary(context, ESYS_TR_RH_OWNER, ESYS_TR_PASSWORD, ESYS_TR_NONE, ESYS_TR_NONE,
                                          &sensitive, &publicTemplate, &outsideInfo, &pcrs, &handle, &outPublic,
                                          &creationData, &creationHash, &ticket);
    Esys_Free(outPublic);
    Esys_Free(creationData);
    Esys_Free(creationHash);
    Esys_Free(ticket);
    check(rc, "create storage primary");
    return Transient(context, handle);
}

QByteArray coordinate(const TPM2B_ECC_PARAMETER &value)
{
    if (value.size > coordinateLength)
        throw TpmError("coordinate too long", 0);
    // Leading zero bytes may be left out; restore the fixed width.
    QByteArray result(qsizetype(coordinateLength - value.size), '\0');
    result.append(reinterpret_cast<const char *>(value.buffer), value.size);
    return result;
}

TPM2B_ECC_POINT pointFrom(const QByteArray &point)
{
    if (point.size() != 1 + 2 * qsizetype(coordinateLength) || point.at(0) != 0x04)
        throw TpmError("peer point form", 0);
    TPM2B_ECC_POINT result {};
    result.point.x.size = coordinateLength;
    result.point.y.size = coordinateLength;
    std::memcpy(result.point.x.buffer, point.constData() + 1, coordinateLength);
    std::memcpy(result.point.y.buffer, point.constData() + 1 + coordinateLength, coordinateLength);
    return result;
}

QByteArray marshal(const TPM2B_PUBLIC &publicPart, const TPM2B_PRIVATE &privatePart)
{
    QByteArray blob(qsizetype(sizeof(TPM2B_PUBLIC) + sizeof(TPM2B_PRIVATE)), '\0');
    std::size_t offset = 0;
    auto *buffer = reinterpret_cast<uint8_t *>(blob.data());
    check(Tss2_MU_TPM2B_PUBLIC_Marshal(&publicPart, buffer, std::size_t(blob.size()), &offset), "marshal public");
    check(Tss2_MU_TPM2B_PRIVATE_Marshal(&privatePart, buffer, std::size_t(blob.size()), &offset), "marshal private");
    blob.truncate(qsizetype(offset));
    return blob;
}

void unmarshal(const QByteArray &blob, TPM2B_PUBLIC &publicPart, TPM2B_PRIVATE &privatePart)
{
    std::size_t offset = 0;
    const auto *buffer = reinterpret_cast<const uint8_t *>(blob.constData());
    check(Tss2_MU_TPM2B_PUBLIC_Unmarshal(buffer, std::size_t(blob.size()), &offset, &publicPart), "unmarshal public");
    check(Tss2_MU_TPM2B_PRIVATE_Unmarshal(buffer, std::size_t(blob.size()), &offset, &privatePart),
          "unmarshal private");
    if (offset != std::size_t(blob.size()))
        throw TpmError("trailing bytes after key blob", 0);
}

// The device a "device" TCTI opens; empty for any other TCTI.
QByteArray devicePath(const QByteArray &tcti)
{
    if (tcti == "device")
        return QByteArrayLiteral("/dev/tpmrm0");
    if (tcti.startsWith("device:"))
        return tcti.mid(int(sizeof("device:") - 1));
    return {};
}

QString groupName(gid_t gid)
{
    const struct group *entry = ::getgrgid(gid);
    return entry ? QString::fromLocal8Bit(entry->gr_name) : QString();
}

// A device this user may not open: whether joining its group is the fix, or
// has been done and waits for a new login.
TpmHealth permissionHealth(const struct stat &device)
{
    TpmHealth health;
    health.state = TpmHealth::State::permission;
    // A device left to root's group is opened to "tss" by Debian's tpm-udev.
    QString group = device.st_gid != 0 ? groupName(device.st_gid) : QString();
    if (group.isEmpty())
        group = QStringLiteral("tss");
    const struct group *entry = ::getgrnam(group.toLocal8Bit().constData());
    const struct passwd *user = ::getpwuid(::geteuid());
    const QString userName = user ? QString::fromLocal8Bit(user->pw_name) : QStringLiteral("$USER");
    if (entry && user) {
        int count = 64;
        std::vector<gid_t> listed(static_cast<std::size_t>(count));
        if (::getgrouplist(user->pw_name, user->pw_gid, listed.data(), &count) < 0) {
            listed.resize(std::size_t(count));
            ::getgrouplist(user->pw_name, user->pw_gid, listed.data(), &count);
        }
        listed.resize(std::size_t(std::max(count, 0)));
        const bool inDatabase = std::find(listed.begin(), listed.end(), entry->gr_gid) != listed.end();
        std::vector<gid_t> active(std::size_t(std::max(::getgroups(0, nullptr), 0)));
        active.resize(std::size_t(std::max(::getgroups(int(active.size()), active.data()), 0)));
        const bool inLogin
            = ::getegid() == entry->gr_gid || std::find(active.begin(), active.end(), entry->gr_gid) != active.end();
        health.needsNewLogin = inDatabase && !inLogin;
    }
    if (!health.needsNewLogin) {
        const QString join = QStringLiteral("sudo usermod -aG %1 %2").arg(group, userName);
        health.fixCommand = entry ? join : QStringLiteral("sudo apt install tpm-udev && ") + join;
    }
    return health;
}

} // namespace

TpmHealth::State TpmHealth::stateFor(unsigned int code)
{
    // Only the TPM's own answers (layer 0) say something about the TPM.
    if ((code & 0xffff0000u) != 0)
        return State::fault;
    if (code == TPM2_RC_LOCKOUT)
        return State::lockout;
    // Format-one codes carry the handle or session number in bits 8 to 11.
    if ((code & TPM2_RC_FMT1) != 0) {
        const unsigned int base = code & (TPM2_RC_FMT1 | 0x3fu);
        if (base == TPM2_RC_AUTH_FAIL || base == TPM2_RC_BAD_AUTH)
            return State::ownerPassword;
    }
    return State::fault;
}

TpmHealth TpmKeyStore::diagnose() const
{
    const QByteArray device = devicePath(m_tcti);
    if (!device.isEmpty()) {
        struct stat status = {};
        if (::stat(device.constData(), &status) != 0)
            return {};
        if (::access(device.constData(), R_OK | W_OK) != 0)
            return errno == EACCES || errno == EPERM ? permissionHealth(status) : TpmHealth {};
    }
    std::optional<Connection> connection;
    try {
        connection.emplace(m_tcti);
    } catch (const TpmError &) {
        return {}; // no answer at all
    }
    TpmHealth health;
    health.state = TpmHealth::State::working;
    try {
        (void)storagePrimary(connection->get());
    } catch (const TpmError &error) {
        qCInfo(lcTpm) << "TPM refused the storage key at step" << error.what() << Qt::hex << error.code();
        health.state = TpmHealth::stateFor(error.code());
    }
    return health;
}

TpmKeyStore::TpmKeyStore(QByteArray tcti) : m_tcti(std::move(tcti))
{
}

QByteArray TpmKeyStore::defaultTcti()
{
    const QByteArray configured = qgetenv("VORNO_TPM_TCTI");
    return configured.isEmpty() ? QByteArrayLiteral("device:/dev/tpmrm0") : configured;
}

bool TpmKeyStore::isAvailable()
{
    try {
        // Cheap on purpose: a TPM we reach but may not use fails the next step
        // with its own error.
        const Connection connection(m_tcti);
        return true;
    } catch (const TpmError &error) {
        qCDebug(lcTpm) << "TPM not available at step" << error.what() << Qt::hex << error.code();
        return false;
    }
}

HardwareKeyStore::CreatedKey TpmKeyStore::createKey()
{
    const Connection connection(m_tcti);
    ESYS_CONTEXT *context = connection.get();
    const Transient primary = storagePrimary(context);

    const TPM2B_SENSITIVE_CREATE sensitive {};
    const TPM2B_PUBLIC publicTemplate = agreementTemplate();
    const TPM2B_DATA outsideInfo {};
    const TPML_PCR_SELECTION pcrs {};
    TPM2B_PRIVATE *outPrivate = nullptr;
    TPM2B_PUBLIC *outPublic = nullptr;
    TPM2B_CREATION_DATA *creationData = nullptr;
    TPM2B_DIGEST *creationHash = nullptr;
    TPMT_TK_CREATION *ticket = nullptr;
    const TSS2_RC rc
        = Esys_Create(context, primary.get(), ESYS_TR_PASSWORD, ESYS_TR_NONE, ESYS_TR_NONE, &sensitive, &publicTemplate,
                      &outsideInfo, &pcrs, &outPrivate, &outPublic, &creationData, &creationHash, &ticket);
    const Owned<TPM2B_PRIVATE> privatePart(outPrivate);
    const Owned<TPM2B_PUBLIC> publicPart(outPublic);
    Esys_Free(creationData);
    Esys_Free(creationHash);
    Esys_Free(ticket);
    check(rc, "create agreement key");

    CreatedKey key;
    key.blob = marshal(*publicPart, *privatePart);
    key.publicPoint = QByteArray(1, 0x04) + coordinate(publicPart->publicArea.unique.ecc.x)
        + coordinate(publicPart->publicArea.unique.ecc.y);
    return key;
}

QByteArray TpmKeyStore::agree(const QByteArray &blob, const QByteArray &peerPoint)
{
    TPM2B_PUBLIC publicPart {};
    TPM2B_PRIVATE privatePart {};
    unmarshal(blob, publicPart, privatePart);
    const TPM2B_ECC_POINT peer = pointFrom(peerPoint);

    const Connection connection(m_tcti);
    ESYS_CONTEXT *context = connection.get();
    const Transient primary = storagePrimary(context);
    ESYS_TR keyHandle = ESYS_TR_NONE;
    // Fails the integrity check unless this TPM's storage key wrapped the blob.
    check(Esys_Load(context, primary.get(), ESYS_TR_PASSWORD, ESYS_TR_NONE, ESYS_TR_NONE, &privatePart, &publicPart,
                    &keyHandle),
          "load agreement key");
    const Transient key(context, keyHandle);

    TPM2B_ECC_POINT *outPoint = nullptr;
    const TSS2_RC rc
        = Esys_ECDH_ZGen(context, key.get(), ESYS_TR_PASSWORD, ESYS_TR_NONE, ESYS_TR_NONE, &peer, &outPoint);
    const Owned<TPM2B_ECC_POINT> shared(outPoint);
    check(rc, "ECDH");
    return coordinate(shared->point.x);
}

} // namespace vorno
