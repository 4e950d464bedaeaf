// TTitleForm: the splash window with the product title, whose one-second timer runs a
// short title animation once per process.
#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;

class TTitleForm : public QWidget {
public:
    TTitleForm();

    QLabel* TitleLabel1;
    QLabel* TitleLabel2;
    QLabel* ShortNameLabel;
    QLabel* VersionLabel;
    QLabel* CopyLabel;
    QLabel* tqMarkImage;
    QTimer Timer;

    // The timeline: grows the title from 2 to 45 points, shows the other labels, waits
    // 1.2 seconds and closes. Runs once per process; later calls return at once.
    void TimerTimer();

protected:
    void showEvent(QShowEvent* event) override;
};
