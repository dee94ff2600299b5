#include "platform/P256PrivateKey.h"
#include "DataCases.h"
#include "SoftwareTpm.h"
#include "platform/TpmError.h"
#include "platform/TpmKeyStore.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <tss2/tss2_esys.h>
#include <tss2/tss2_tctildr.h>

using namespace vorno;

namespace {

// Puts the TPM into dictionary-attack lockout: one allowed failure, then a
// wrong password for a key that counts failures.
bool provokeLockout(const SoftwareTpm &tpm)
{
    const QTemporaryDir files;
    const QString dir = files.path();
    if (!tpm.tool(u"tpm2_dictionarylockout"_qs, {u"--setup-parameters"_qs, u"--max-tries=1"_qs,
                                                 u"--recovery-time=600"_qs, u"--lockout-recovery-time=600"_qs})
        || !tpm.tool(u"tpm2_createprimary"_qs, {u"-C"_qs, u"o"_qs, u"-c"_qs, u"p.ctx"_qs, u"-Q"_qs}, dir)
        || !tpm.tool(u"tpm2_create"_qs, {u"-C"_qs, u"p.ctx"_qs, u"-p"_qs, u"right"_qs, u"-u"_qs, u"k.pub"_qs,
                                         u"-r"_qs, u"k.priv"_qs, u"-Q"_qs}, dir)
        || !tpm.tool(u"tpm2_flushcontext"_qs, {u"-t"_qs})
        || !tpm.tool(u"tpm2_load"_qs, {u"-C"_qs, u"p.ctx"_qs, u"-u"_qs, u"k.pub"_qs, u"-r"_qs, u"k.priv"_qs,
                                       u"-c"_qs, u"k.ctx"_qs, u"-Q"_qs}, dir)
        || !tpm.tool(u"tpm2_flushcontext"_qs, {u"-t"_qs}))
        return false;
    (void)tpm.tool(u"tpm2_unseal"_qs, {u"-c"_qs, u"k.ctx"_qs, u"-p"_qs, u"wrong"_qs}, dir, true); // fails on purpose
    (void)tpm.tool(u"tpm2_flushcontext"_qs, {u"-t"_qs});
    const std::optional<QByteArray> state = tpm.tool(u"tpm2_getcap"_qs, {u"properties-variable"_qs});
    return state && state->simplified().contains("inLockout: 1");
}

} // namespace

class TestTpmKeyStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        m_tpm = std::make_unique<SoftwareTpm>();
        QVERIFY2(!m_tpm->tcti().isEmpty(), qPrintable(m_tpm->error()));
    }

    void cleanupTestCase() { m_tpm.reset(); }

    void agreementMatchesSoftwareEcdh()
    {
        TpmKeyStore store(m_tpm->tcti());
        QVERIFY(store.isAvailable());
        const HardwareKeyStore::CreatedKey key = store.createKey();
        QCOMPARE(key.publicPoint.size(), 65);
        QCOMPARE(key.publicPoint.at(0), '\x04');
        P256PrivateKey::checkPoint(key.publicPoint);

        const P256PrivateKey software;
        const QByteArray fromTpm = store.agree(key.blob, software.publicPoint());
        QCOMPARE(fromTpm.size(), 32);
        QCOMPARE(fromTpm.toHex(), software.agree(key.publicPoint).toHex());

        const HardwareKeyStore::CreatedKey other = store.createKey();
        QVERIFY(other.blob != key.blob);
        QVERIFY(other.publicPoint != key.publicPoint);
    }

    void everyObjectIsFlushed()
    {
        // A TPM holds only a handful of transient objects; a leak would exhaust
        // them within a few rounds.
        TpmKeyStore store(m_tpm->tcti());
        const P256PrivateKey software;
        for (int round = 0; round < 12; ++round) {
            const HardwareKeyStore::CreatedKey key = store.createKey();
            QCOMPARE(store.agree(key.blob, software.publicPoint()), software.agree(key.publicPoint));
        }
    }

    void blobLoadsOnlyInItsOwnTpm()
    {
        TpmKeyStore here(m_tpm->tcti());
        const HardwareKeyStore::CreatedKey key = here.createKey();
        const P256PrivateKey software;

        const SoftwareTpm elsewhere;
        QVERIFY2(!elsewhere.tcti().isEmpty(), qPrintable(elsewhere.error()));
        TpmKeyStore there(elsewhere.tcti());
        QVERIFY(there.isAvailable());
        QVERIFY_THROWS_EXCEPTION(TpmError, (void)there.agree(key.blob, software.publicPoint()));
        QCOMPARE(here.agree(key.blob, software.publicPoint()), software.agree(key.publicPoint));
    }

    // A process killed mid-operation leaves its objects in a TPM reached without
    // a resource manager, as swtpm over TCP is; here they fill its memory.
    void objectsAbandonedByADeadProcessAreReclaimed()
    {
        const SoftwareTpm tpm;
        QVERIFY2(!tpm.tcti().isEmpty(), qPrintable(tpm.error()));
        TSS2_TCTI_CONTEXT *tcti = nullptr;
        ESYS_CONTEXT *context = nullptr;
        QCOMPARE(Tss2_TctiLdr_Initialize(tpm.tcti().constData(), &tcti), TSS2_RC_SUCCESS);
        QCOMPARE(Esys_Initialize(&context, tcti, nullptr), TSS2_RC_SUCCESS);
        TPM2B_PUBLIC keyTemplate {};
        keyTemplate.publicArea.type = TPM2_ALG_KEYEDHASH;
        keyTemplate.publicArea.nameAlg = TPM2_ALG_SHA256;
        keyTemplate.publicArea.objectAttributes = TPMA_OBJECT_USERWITHAUTH | TPMA_OBJECT_SIGN_ENCRYPT
            | TPMA_OBJECT_FIXEDTPM | TPMA_OBJECT_FIXEDPARENT | TPMA_OBJECT_SENSITIVEDATAORIGIN;
        keyTemplate.publicArea.parameters.keyedHashDetail.scheme.scheme = TPM2_ALG_HMAC;
        keyTemplate.publicArea.parameters.keyedHashDetail.scheme.details.hmac.hashAlg = TPM2_ALG_SHA256;
        int left = 0;
        for (TSS2_RC rc = TSS2_RC_SUCCESS; rc == TSS2_RC_SUCCESS && left < 64; ++left) {
            const TPM2B_SENSITIVE_CREATE sensitive {};
            const TPM2B_DATA outside {};
            const TPML_PCR_SELECTION pcrs {};
            ESYS_TR handle = ESYS_TR_NONE;
            rc = Esys_CreatePrimary(context, ESYS_TR_RH_OWNER, ESYS_TR_PASSWORD, ESYS_TR_NONE, ESYS_TR_NONE, &sensitive,
                                    &keyTemplate, &outside, &pcrs, &handle, nullptr, nullptr, nullptr, nullptr);
        }
        Esys_Finalize(&context); // gone without flushing, as a killed process goes
        Tss2_TctiLdr_Finalize(&tcti);
        QVERIFY(left > 1);

        TpmKeyStore store(tpm.tcti());
        const P256PrivateKey software;
        const HardwareKeyStore::CreatedKey key = store.createKey();
        QCOMPARE(store.agree(key.blob, software.publicPoint()), software.agree(key.publicPoint));
    }

    void unusableBlobsAndPoints_data() { datacases::addTable(u"tpmkeystore.json"_qs, u"unusableBlobsAndPoints"_qs); }

    void unusableBlobsAndPoints()
    {
        QFETCH(int, damage);

        TpmKeyStore store(m_tpm->tcti());
        const HardwareKeyStore::CreatedKey key = store.createKey();
        QByteArray blob = key.blob;
        QByteArray point = P256PrivateKey().publicPoint();
        switch (damage) {
        case 0:
            blob.clear();
            break;
        case 1:
            blob.chop(10);
            break;
        case 2:
            blob.append('\0');
            break;
        case 3:
            blob[blob.size() - 5] = char(blob[blob.size() - 5] ^ 0x40);
            break;
        default:
            point[64] = char(point[64] ^ 0x01);
        }
        QVERIFY_THROWS_EXCEPTION(TpmError, (void)store.agree(blob, point));
    }

    void unreachableTpmIsNotAvailable_data()
    {
        datacases::addTable(u"tpmkeystore.json"_qs, u"unreachableTpmIsNotAvailable"_qs);
    }

    void unreachableTpmIsNotAvailable()
    {
        QFETCH(QByteArray, tcti);
        TpmKeyStore store(tcti);
        QVERIFY(!store.isAvailable());
        QVERIFY_THROWS_EXCEPTION(TpmError, (void)store.createKey());
    }

    void diagnosis_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<int>("state");

        QTest::newRow("working")          << u"none"_qs     << int(TpmHealth::State::working);
        QTest::newRow("owner password")   << u"owner"_qs    << int(TpmHealth::State::ownerPassword);
        // Our keys are exempt from dictionary-attack protection: a locked TPM
        // still keeps the login.
        QTest::newRow("in lockout")       << u"lockout"_qs  << int(TpmHealth::State::working);
        QTest::newRow("no device file")   << u"missing"_qs  << int(TpmHealth::State::noDevice);
        QTest::newRow("nobody listening") << u"silent"_qs   << int(TpmHealth::State::noDevice);
    }

    void diagnosis()
    {
        QFETCH(QString, setup);
        QFETCH(int, state);

        const SoftwareTpm tpm;
        QVERIFY2(!tpm.tcti().isEmpty(), qPrintable(tpm.error()));
        QByteArray tcti = tpm.tcti();
        if (setup == u"owner")
            QVERIFY(tpm.tool(u"tpm2_changeauth"_qs, {u"-c"_qs, u"o"_qs, u"owner-secret"_qs}));
        else if (setup == u"lockout")
            QVERIFY(provokeLockout(tpm));
        else if (setup == u"missing")
            tcti = "device:/nonexistent/tpmrm0";
        else if (setup == u"silent")
            tcti = "swtpm:host=127.0.0.1,port=1";

        const TpmHealth health = TpmKeyStore(tcti).diagnose();
        QCOMPARE(int(health.state), state);
        QVERIFY(health.fixCommand.isEmpty());
    }

    // Debian's device is root:tss 0660; an ordinary user outside the group is
    // refused. Root opens anything, so the check runs again as nobody.
    void deviceThisUserMayNotOpen()
    {
        const QByteArray device = qgetenv("VORNO_TEST_DEVICE");
        if (!device.isEmpty()) { // the second run, as nobody
            const TpmHealth health = TpmKeyStore("device:" + device).diagnose();
            QCOMPARE(int(health.state), int(TpmHealth::State::permission));
            QVERIFY(!health.needsNewLogin);
            QCOMPARE(health.fixCommand, u"sudo usermod -aG tss nobody"_qs);
            return;
        }
        QTemporaryDir directory;
        QVERIFY(::chmod(QFile::encodeName(directory.path()).constData(), 0755) == 0);
        const QString path = directory.filePath(u"tpmrm0"_qs);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        QVERIFY(::chmod(QFile::encodeName(path).constData(), 0000) == 0);
        if (::geteuid() != 0) {
            const TpmHealth health = TpmKeyStore("device:" + QFile::encodeName(path)).diagnose();
            QCOMPARE(int(health.state), int(TpmHealth::State::permission));
            QVERIFY(!health.fixCommand.isEmpty() || health.needsNewLogin);
            return;
        }
        const struct group *tss = ::getgrnam("tss");
        if (!tss)
            QSKIP("running as root on a system without a tss group: nobody to try the device as");
        QVERIFY(::chown(QFile::encodeName(path).constData(), 0, tss->gr_gid) == 0);
        QProcess nobody;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"VORNO_TEST_DEVICE"_qs, path);
        nobody.setProcessEnvironment(environment);
        nobody.setProcessChannelMode(QProcess::MergedChannels);
        nobody.start(u"setpriv"_qs, {u"--reuid=nobody"_qs, u"--regid=nogroup"_qs, u"--clear-groups"_qs,
                                     QCoreApplication::applicationFilePath(), u"deviceThisUserMayNotOpen"_qs});
        QVERIFY(nobody.waitForFinished(30000));
        QVERIFY2(nobody.exitCode() == 0, nobody.readAll().constData());
    }

    void refusalCodes_data()
    {
        QTest::addColumn<unsigned int>("code");
        QTest::addColumn<int>("state");

        QTest::newRow("lockout")                  << 0x921u   << int(TpmHealth::State::lockout);
        QTest::newRow("bad auth, session 1")      << 0x9a2u   << int(TpmHealth::State::ownerPassword);
        QTest::newRow("auth fail, session 1")     << 0x98eu   << int(TpmHealth::State::ownerPassword);
        QTest::newRow("integrity")                << 0x9dfu   << int(TpmHealth::State::fault);
        QTest::newRow("auth fail from the TSS")   << 0x7098eu << int(TpmHealth::State::fault);
        QTest::newRow("out of object memory")     << 0x902u   << int(TpmHealth::State::fault);
    }

    void refusalCodes()
    {
        QFETCH(unsigned int, code);
        QFETCH(int, state);
        QCOMPARE(int(TpmHealth::stateFor(code)), state);
    }

private:
    std::unique_ptr<SoftwareTpm> m_tpm;
};

QTEST_GUILESS_MAIN(TestTpmKeyStore)
#include "TestTpmKeyStore.moc"
