#include "core/CloudError.h"
#include "DataCases.h"
#include "core/NativeLogin.h"

#include <QRegularExpression>
#include <QTest>

using namespace vorno;

namespace {

const QString scheme = u"app.vorno.desktop"_qs;
const QString state = u"s-123_ABC"_qs;

bool isBase64Url43(const QString &text)
{
    static const QRegularExpression form(u"^[A-Za-z0-9_-]{43}$"_qs);
    return form.match(text).hasMatch();
}

} // namespace

class TestNativeLogin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void freshPairs()
    {
        const NativeLogin first;
        const NativeLogin second;
        for (const QString &value : {first.verifier(), first.state(), first.challenge(), second.verifier(), second.state()})
            QVERIFY2(isBase64Url43(value), qPrintable(value));
        QVERIFY(first.verifier() != second.verifier());
        QVERIFY(first.state() != second.state());
        QVERIFY(first.verifier() != first.state());
    }

    void challengeVector()
    {
        // RFC 7636, appendix B.
        const NativeLogin login(u"dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"_qs, state);
        QCOMPARE(login.challenge(), u"E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"_qs);
    }

    void callback_data() { datacases::addTable(u"nativelogin.json"_qs, u"callback"_qs); }

    void callback()
    {
        QFETCH(QString, url);
        QFETCH(QString, code);

        const NativeLogin login(u"verifier"_qs, state);
        if (code.isNull()) {
            try {
                (void)login.code(url, scheme);
                QFAIL("accepted a callback that must be refused");
            } catch (const CloudError &error) {
                QCOMPARE(error.failure(), CloudFailure::authentication);
            }
        } else {
            QCOMPARE(login.code(url, scheme), code);
        }
    }
};

QTEST_GUILESS_MAIN(TestNativeLogin)
#include "TestNativeLogin.moc"
