#include "languageenvironment.h"
#include "localformats.h"
#include "support/shippedlanguages.h"
#include "translator.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QtTest>

// Qt's own texts and the formats of dates and numbers follow the language the
// operator chooses, at every change.
class TestLanguageEnvironment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { useShippedLanguages(); }
    void cleanupTestCase() { TR::Translator::instance()->setLocale(QStringLiteral("en")); }
    void qtTextsAndFormats_data();
    void qtTextsAndFormats();
    void missingQtTranslation();
};

void TestLanguageEnvironment::qtTextsAndFormats_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("cancel");
    QTest::addColumn<QString>("december");
    // One notation per kind of value: date, date and time, reading and computed value, count, seconds, days.
    QTest::addColumn<QStringList>("notations");
    // German, Italian, then English again: each change replaces the one before.
    const auto row = [](const char *name, const char *language, const char *cancel, const char *december,
                        const QStringList &notations) {
        QTest::newRow(name) << language << cancel << december << notations;
    };
    row("German", "de", "Abbrechen", "Dezember",
        {"07.12.2026", "07.12.2026 00:52", "0,52", "1234", "20,0 s", "182 Tage", "1 Tag"});
    row("Italian", "it", "Annulla", "dicembre",
        {"07/12/2026", "07/12/2026 00:52", "0,52", "1234", "20,0 s", "182 giorni", "1 giorno"});
    row("English", "en", "Cancel", "December",
        {"07/12/2026", "07/12/2026 - 00:52", "0.52", "1234", "20.0 s", "182 days", "1 day"});
}

void TestLanguageEnvironment::qtTextsAndFormats()
{
    QFETCH(QString, language);
    TR::Translator::instance()->setLocale(language);

    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QTEST(buttons.button(QDialogButtonBox::Cancel)->text(), "cancel");
    QCalendarWidget calendar;
    QTEST(calendar.locale().standaloneMonthName(12), "december");

    const QDate date(2026, 12, 7);
    const QStringList notations{LocalFormats::date(date),      LocalFormats::dateTime(QDateTime(date, QTime(0, 52))),
                                LocalFormats::number(0.52, 2), LocalFormats::count(1234),
                                LocalFormats::seconds(20),     LocalFormats::days(182),
                                LocalFormats::days(1)};
    QTEST(notations, "notations");
    QCOMPARE(LocalFormats::reading(QStringLiteral("0.52")), notations.at(2));
    // The task's start date is chosen in a field that writes it as every other date.
    QCOMPARE(date.toString(LocalFormats::datePattern()), notations.at(0));
    QCOMPARE(LocalFormats::storedReading(LocalFormats::reading(QStringLiteral("-1.500"))), QStringLiteral("-1.500"));
}

// A language Qt has no translation for keeps Qt's English texts.
void TestLanguageEnvironment::missingQtTranslation()
{
    QVERIFY(!LanguageEnvironment::apply(QStringLiteral("xx")));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Cancel"));
    QVERIFY(LanguageEnvironment::apply(QStringLiteral("en")));
}

QTEST_MAIN(TestLanguageEnvironment)
#include "tst_languageenvironment.moc"
