#pragma once

#include "ui/form.h"

class QLabel;

// "Internet connection": hands a web address to the desktop's browser and stays open until
// the user comes back and chooses "Back".
class TfmInternet10 : public ui::Form {
    Q_OBJECT
public:
    TfmInternet10(QWidget* owner, const QString& address);

    QString address() const { return m_address; }
    // Whether the browser could be started.
    bool browserStarted() const { return m_started; }

public slots:
    void Navigate();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_address;
    bool m_navigated = false;
    bool m_started = false;
    QLabel* lbInfo;
    QLabel* lbAddress;
};
