#pragma once

class ConfigurationManager;
class QWidget;

// At the end of the program: sessions that could still not be saved are named
// to the operator, who may export them to a file of their choice. They stay
// in the file beside the database either way, for the next start to store.
class UnsavedExport
{
public:
    static void offerOnExit(QWidget *parent, ConfigurationManager *store);
};
