// TVersionForm: the information window with the product's version and addresses.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

class TVersionForm : public QDialog {
public:
    explicit TVersionForm(QWidget* mainWindow);

    QLabel* Image2;
    QLabel* Label3;    // product title and version
    QLabel* Label7;    // the maker
    QLabel* Label9;    // "Home Page"
    QLabel* URLLabel;  // the home page address
    QLabel* Label10;   // caption of the support page
    QLabel* Label11;   // the support page address
    QPushButton* OKButton;

    // Opens the address that the clicked link label shows.
    void URLLabelClick(QLabel* label);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
