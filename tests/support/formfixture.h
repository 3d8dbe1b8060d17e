#pragma once

// The real form on a real database, with the operator dialogs scripted.
// Tests seed their own rows (the seed below) so each case states its data.

#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

#include "Cli_qdl00005.h"
#include "dbfixture.h"
#include "scriptedhost.h"

// A configured button row as the screen writes it.
struct ButtonRow {
    QString type;   // "3" table, "4" area
    QString number; // "01".."48" / "01".."18"
    QString page;
    QString auxType, auxNumber, auxPage;
    QString ident;  // NRMESA or CDSALA
    QString caption;
    int text = 0;
    int back = 11571344;
};

class FormTest : public ::testing::TestWithParam<QString> {
protected:
    void SetUp() override;
    void TearDown() override;

    // Branch 9999, configuration 00001 on store 00001; areas SAL, VAR, TER
    // (active), INA (inactive); tables 1-6 in SAL, 10-12 in VAR, 20 in TER,
    // 99 the store's default table in SAL.
    void seedRestaurant();
    void exec(const QString& sql);
    void insertButton(const ButtonRow& row);
    void placeArea(const QString& number, const QString& code, const QString& caption, int back = 11571344,
                   int text = 0);
    void placeTable(const QString& number, const QString& page, const QString& areaButton, const QString& nrmesa,
                    const QString& caption, int text = 0, int back = 11571344);
    int count(const QString& sql);
    QString value(const QString& sql);

    // Opens the screen as the entry does (without the modal loop) and shows it.
    void openScreen();
    void closeScreen();

    void click(QWidget* w);
    void key(Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier);
    void typeChar(char c);

    TSpeedButton* table(int n) const { return form->tableButton(n); }
    TTouchButton* area(int n) const { return form->areaButton(n); }
    TTouchButton* strip(int n) const { return form->areaStrip(n); }
    bool isFreeTable(int n) const;

    std::unique_ptr<TestDatabase> db;
    std::unique_ptr<ScriptedHost> host;
    QTemporaryDir exeDir; // stands in for the host executable's folder
    TfrmConfMesa* form = nullptr;
};

// Instantiates a FormTest-derived suite on every available backend.
#define QDL_FORM_SUITE(Suite) \
    INSTANTIATE_TEST_SUITE_P(Backends, Suite, ::testing::ValuesIn(testBackends()), backendName)
