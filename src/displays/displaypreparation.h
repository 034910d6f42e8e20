#pragma once

#include "screenidentity.h"
#include "testingsession.h"

#include <QDateTime>
#include <QVariantMap>

#include <optional>

class ConfigurationManager;
class QWidget;

// Before a session starts: which display it tests and what the store knows of
// it. The operator is asked what the store cannot know: which known display
// a screen is that names itself nowhere, the category and room class of a
// display without them, and whether the first test of a display without
// reference values is to be its acceptance test.
class DisplayPreparation
{
public:
    struct Outcome
    {
        // The test type (acceptance where the operator took the offer), the
        // display's category and room class and its reference values.
        TestingSession::Context context;
        // The groups of the display's newest session; empty for a display the
        // store does not know.
        QVariantMap prefill;
        // When that newest session was stored; invalid when there is none.
        QDateTime prefillDate;
    };

    DisplayPreparation(ConfigurationManager *store, QWidget *parent);

    // Nothing when the operator cancelled.
    std::optional<Outcome> prepare(const ScreenIdentity::Identity &screen, const QString &testType) const;

private:
    ConfigurationManager *m_store;
    QWidget *m_parent;
};
