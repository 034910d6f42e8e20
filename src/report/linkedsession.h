#pragma once

#include "judgement.h"
#include "luminanceresponse.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <optional>

class TestContent;
class TestGroup;

// A stored session's groups rebuilt from its record, every answer linked to the computed values and checks that
// read it. The report and the export read the record through this one class, so both see the same answers.
class LinkedSession : public QObject
{
    Q_OBJECT

public:
    explicit LinkedSession(const QVariantMap &session, QObject *parent = nullptr);

    const QList<TestGroup *> &groups() const { return m_groups; }
    QList<TestContent *> allContents() const;
    const TestContent *contentWithId(const QString &contentId) const;
    // The answer's name as the operator was asked for it.
    QString captionOf(const QString &contentId) const;
    // The answer at the root of a value that cannot be computed: a computed value is followed through the joins it
    // reads to the operator's answer that is missing ("unanswered") or no number ("notANumber").
    QString unreadableAnswer(const QString &contentId, QString *problem) const;

    // The answers of the 18 TG18-LN tests, darkest pattern first; empty unless every one of them is present and
    // answered.
    static QStringList luminanceReadings(const QList<TestGroup *> &groups);
    // The luminance response as the report shows it; none without TG18-LN readings.
    std::optional<LuminanceResponse> luminanceResponse() const;
    // The stored verdict of the largest GSDF deviation, none for a session stored before the limits table.
    static std::optional<Judgement::Verdict> gsdfVerdict(const QVariantMap &session);

private:
    void rebuildGroups();
    void linkAnswers();
    std::optional<double> ambientLuminance() const;

    QVariantMap m_session;
    QList<TestGroup *> m_groups;
};
