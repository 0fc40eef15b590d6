#pragma once

#include "FakePrompt.h"
#include "TestApplication.h"
#include "TestEnvironment.h"

#include "settings/CKeyTable.h"
#include "view/CDataView.h"
#include "view/CMainFrame.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

// A shown main window with the default key table, English texts and a private settings place; tests open data
// in it and drive it with real key and mouse events.
class FrameFixture : public ::testing::Test {
protected:
    using Bytes = std::vector<unsigned char>;

    void SetUp() override {
        EnsureApplication();
        frame = std::make_unique<CMainFrame>(&prompt);
        frame->Settings().optionFlags = 2;
        frame->Settings().language = 1;
        frame->Settings().keyTable = CKeyTable::DefaultTable();
        ASSERT_TRUE(frame->Create());
        frame->BuildAccelerators();
        frame->resize(900, 600);
        frame->show();
        QApplication::setActiveWindow(frame.get());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    void TearDown() override {
        frame->Store().SetModified(0);
        frame->close();
        frame.reset();
    }

    void Open(const Bytes& bytes) {
        const std::string path = env.exeDir + "/data.bin";
        TestEnvironment::WriteFile(path, std::string(bytes.begin(), bytes.end()));
        ASSERT_TRUE(frame->OpenFile(QString::fromStdString(path), false));
        QApplication::processEvents();
    }
    // Data whose byte i is i modulo 256.
    void Open(size_t size) {
        Bytes bytes(size);
        for (size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<unsigned char>(i & 0xFF);
        }
        Open(bytes);
    }
    Bytes Data() {
        Bytes out(frame->Store().GetDataSize());
        frame->Store().ReadData(0, out.data(), out.size());
        return out;
    }

    CDataView* View() { return frame->DataView(); }
    PaneSelection& Pane() { return frame->Store().Pane(frame->Store().CurrentPane()); }
    uint64_t Cursor() { return Pane().cursor; }
    void Type(const char* keys) { QTest::keyClicks(View(), keys); }
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(View(), key, mods); }

    TestEnvironment env;
    FakePrompt prompt;
    std::unique_ptr<CMainFrame> frame;
};
