#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class WithdrawDialog;
}

// Asks who withdraws a stored session and why; both are required.
class WithdrawDialog : public QDialog
{
    Q_OBJECT

public:
    explicit WithdrawDialog(const QString &session, QWidget *parent = nullptr);
    ~WithdrawDialog() override;

    QString by() const;
    QString reason() const;
    void setBy(const QString &by);
    void setReason(const QString &reason);

private:
    void updateOk();

    std::unique_ptr<Ui::WithdrawDialog> m_ui;
};
