#include "CloudError.h"
#include "NativeLogin.h"

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
    void freshPairs();
    void challengeVector();
    void callback_data();
    void callback();
};

void TestNativeLogin::freshPairs()
{
    const NativeLogin first;
    const NativeLogin second;
    for (const QString &value : {first.verifier(), first.state(), first.challenge(), second.verifier(), second.state()})
        QVERIFY2(isBase64Url43(value), qPrintable(value));
    QVERIFY(first.verifier() != second.verifier());
    QVERIFY(first.state() != second.state());
    QVERIFY(first.verifier() != first.state());
}

void TestNativeLogin::challengeVector()
{
    // RFC 7636, appendix B.
    const NativeLogin login(u"dBjftJeZ4CVP-mB92K27uhbUJU1p1r_wW1gFWFOEjXk"_qs, state);
    QCOMPARE(login.challenge(), u"E9Melhoa2OwvFrEMTJguCHaoeK1t8URWbuGJSstw-cM"_qs);
}

void TestNativeLogin::callback_data()
{
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("code"); // null: refused

    const QString base = scheme + u"://auth/callback?"_qs;
    const QString good = u"state="_qs + state + u"&code=abc"_qs;
    QTest::newRow("valid")                    << base + good                                   << u"abc"_qs;
    QTest::newRow("code first, extras")       << base + u"x=1&code=abc&state="_qs + state + u"&y"_qs << u"abc"_qs;
    QTest::newRow("percent-encoded code")     << base + u"state="_qs + state + u"&code=a%2Fb%20c"_qs << u"a/b c"_qs;
    QTest::newRow("plus stays a plus")        << base + u"state="_qs + state + u"&code=a+b"_qs    << u"a+b"_qs;
    QTest::newRow("512 characters")           << base + u"state="_qs + state + u"&code="_qs + QString(512, u'c') << QString(512, u'c');
    QTest::newRow("512 combined characters")  << base + u"state="_qs + state + u"&code="_qs + u"e%CC%81"_qs.repeated(512) << u"e\u0301"_qs.repeated(512);
    QTest::newRow("port and user ignored")    << scheme + u"://me@auth:1/callback?"_qs + good << u"abc"_qs;
    QTest::newRow("513 characters")           << base + u"state="_qs + state + u"&code="_qs + QString(513, u'c') << QString();
    QTest::newRow("host Auth")                << scheme + u"://Auth/callback?"_qs + good       << QString();
    QTest::newRow("trailing slash")           << scheme + u"://auth/callback/?"_qs + good      << QString();
    QTest::newRow("encoded path")             << scheme + u"://auth/call%62ack?"_qs + good      << QString();
    QTest::newRow("scheme case")              << u"App.vorno.desktop://auth/callback?"_qs + good << QString();
    QTest::newRow("other scheme")             << u"https://auth/callback?"_qs + good            << QString();
    QTest::newRow("no authority")             << scheme + u":/callback?"_qs + good              << QString();
    QTest::newRow("state twice, equal")       << base + good + u"&state="_qs + state            << QString();
    QTest::newRow("state case differs")       << base + u"state="_qs + state.toLower() + u"&code=abc"_qs << QString();
    QTest::newRow("state without value")      << base + u"state&code=abc"_qs                    << QString();
    QTest::newRow("no state")                 << base + u"code=abc"_qs                          << QString();
    QTest::newRow("empty code")               << base + u"state="_qs + state + u"&code="_qs        << QString();
    QTest::newRow("code without value")       << base + u"state="_qs + state + u"&code"_qs         << QString();
    QTest::newRow("code twice")               << base + good + u"&code=abc"_qs                  << QString();
    QTest::newRow("empty error")              << base + good + u"&error="_qs                    << QString();
    QTest::newRow("bare error")               << base + u"error&"_qs + good                     << QString();
    QTest::newRow("no query")                 << scheme + u"://auth/callback"_qs               << QString();
    QTest::newRow("code in fragment")         << base + u"state="_qs + state + u"#code=abc"_qs     << QString();
    QTest::newRow("invalid UTF-8 code")       << base + u"state="_qs + state + u"&code=%FF"_qs     << QString();
    QTest::newRow("broken escape")            << base + u"state="_qs + state + u"&code=%G1"_qs     << QString();
    QTest::newRow("truncated escape")         << base + u"state="_qs + state + u"&code=a%2"_qs     << QString();
    QTest::newRow("space in URL")             << base + u"state="_qs + state + u"&code=a b"_qs     << QString();
    QTest::newRow("non-ASCII in URL")         << base + u"state="_qs + state + u"&code=é"_qs       << QString();
    QTest::newRow("encoded state name")       << base + u"st%61te="_qs + state + u"&code=abc"_qs   << u"abc"_qs;
    QTest::newRow("empty")                    << QString()                                     << QString();
    QTest::newRow("garbage")                  << u"::::"_qs                                    << QString();
}

void TestNativeLogin::callback()
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

QTEST_GUILESS_MAIN(TestNativeLogin)
#include "TestNativeLogin.moc"
