#pragma once

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

// The limits every measured quantity is judged against, by application category
// and room class, the tolerances of constancy tests and the plausible range of
// each typed reading. The table ships as ":/limits.json"; a site may override or
// add entries with a file "limits.json" in the working folder. Every limit
// carries the source text that the report prints beside it.
class LimitsTable
{
public:
    struct Limit
    {
        bool judged = false; // false: the quantity is not judged (a value of null)
        double value = 0.0;
        QString source;
    };

    struct Matrix
    {
        bool judged = false;
        int width = 0;
        int height = 0;
        QString source;
    };

    struct Category
    {
        QString id;
        QString title; // a translation key, or the site's own text
        Limit maxLuminance;   // L'max at least, cd/m2
        Limit luminanceRatio; // r' = L'max / L'min at least
        Limit gsdfTolerance;  // largest GSDF deviation at most, per cent
        Limit uniformity;     // luminance uniformity at most, per cent
        Matrix pixelMatrix;   // the screen's pixels at least, either way round
        // 200 (a - b) / (a + b) of the largest and smallest L'max of the displays of one workstation at most, per cent
        Limit workstationDeviation;
        Limit periodicMonths; // the interval of the periodic constancy test
    };

    struct RoomClass
    {
        QString id;
        Limit maxIlluminance; // lx
        // The categories whose displays may stand in a room of this class.
        QStringList categories;
        QString categoriesSource;
    };

    // What a typed reading of the listed contents may be.
    struct Plausibility
    {
        enum Verdict
        {
            Plausible,
            NotPositive,  // 0 or below where only a positive reading is possible
            Negative,     // below 0
            NotWhole,     // a count with a fraction
            OutOfRange    // possible, but outside [minimum, maximum]: asks for confirmation
        };

        QString quantity;
        QStringList contents;
        double minimum = 0.0;
        double maximum = 0.0;
        bool positive = false;
        bool whole = false;
        QString source;

        Verdict check(double value) const;
    };

    // The answers a judgement reads: content ids of the catalogue.
    struct Inputs
    {
        QStringList luminanceReadings; // the 18 TG18-LN readings, darkest first
        QString ambientLuminance;      // L_amb, measured with the display off
        QString illuminance;           // at the display, lx
        QStringList uniformityLow;     // the largest and smallest reading at the low driving level
        QStringList uniformityHigh;    // the same at the high driving level
    };

    static QString builtInPath();
    static QString siteFileName();

    // The built-in table, with the site file of that path laid over it when the
    // file exists. A broken site file leaves the built-in table and says why in
    // siteProblem().
    static LimitsTable load(const QString &sitePath = siteFileName());
    // The table read at start, shared by the whole program.
    static const LimitsTable &current();
    static void setCurrent(const LimitsTable &table);

    QString version() const { return m_version; }
    QString siteProblem() const { return m_siteProblem; }
    bool hasSiteFile() const { return m_siteApplied; }

    const Inputs &inputs() const { return m_inputs; }
    const QList<Category> &categories() const { return m_categories; }
    const QList<RoomClass> &roomClasses() const { return m_roomClasses; }
    const Category *category(const QString &id) const;
    const RoomClass *roomClass(const QString &id) const;
    // The tolerance in per cent of a quantity's deviation from its reference value.
    Limit constancyTolerance(const QString &quantity) const;
    // Whether a display of the category may stand in a room of the class.
    bool belongTogether(const QString &roomClass, const QString &category) const;
    // The id by which this table knows the category a record stored before it
    // names: "fluoroscopyCtMr" and "dental" were split; any other id stays.
    static QString currentCategoryId(const QString &stored, const QString &roomClass);
    // The daily constancy test's interval in working days, and how old an L'max
    // may be to count in the deviation between the displays of a workstation.
    Limit dailyWorkingDays() const { return m_dailyWorkingDays; }
    Limit workstationReadingMonths() const { return m_workstationReadingMonths; }
    QStringList constancyQuantities() const;
    const Plausibility *plausibility(const QString &contentId) const;

private:
    // Lays the entries of a document over this table; false (and the reason) when
    // the document is broken, leaving the table unchanged.
    bool apply(const QJsonObject &document, QString *problem);

    QString m_version;
    bool m_siteApplied = false;
    QString m_siteProblem;
    Inputs m_inputs;
    QList<Category> m_categories;
    QList<RoomClass> m_roomClasses;
    QList<QPair<QString, Limit>> m_constancy;
    QList<Plausibility> m_plausibility;
    Limit m_dailyWorkingDays;
    Limit m_workstationReadingMonths;
};
