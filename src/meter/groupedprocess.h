#pragma once

#include <QProcess>

// An instrument program in a process group of its own, so that the helpers it
// starts (a driver, a probe of the serial ports) end with it: the whole group
// is ended on time-out and after every reading, not only the direct child.
class GroupedProcess : public QProcess
{
    Q_OBJECT

public:
    explicit GroupedProcess(QObject *parent = nullptr);
    ~GroupedProcess() override;

    // Ends every process of the group and waits briefly for the program itself.
    void endGroup();

protected:
    void setupChildProcess() override;

private:
    qint64 m_group = 0;
};
