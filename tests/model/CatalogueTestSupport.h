#pragma once
// Shared pieces of the catalogue tests: a fixture that starts and ends with empty catalogues,
// and writers for catalogue files and sprite bitmaps in a temporary folder.

#include "TestSupport.h"
#include "catalogue/Catalogues.h"

#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class CatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { Catalogues.Clear(); }
    void TearDown() override { Catalogues.Clear(); }

    // Writes a catalogue file into Dir; "\n" in text is written as it stands.
    void WriteFile(const std::string& name, const std::string& text) const
    {
        WriteBytes(Dir / name, text);
    }

    // A 24-bit bitmap npcs/<id>.bmp of one colour.
    void WriteBitmap(const std::string& id, int width, int height,
                     QColor colour = QColor(200, 30, 40)) const
    {
        QImage bitmap(width, height, QImage::Format_RGB888);
        bitmap.fill(colour);
        std::filesystem::create_directories(Dir / "npcs");
        ASSERT_TRUE(bitmap.save(QString::fromStdString((Dir / "npcs" / (id + ".bmp")).string()),
                                "BMP"));
    }

    TTempDir Dir;
    TCatalogues Catalogues;
};

// "a\nb\n" with every LF turned into CR LF.
inline std::string WithCrLf(const std::string& text)
{
    std::string result;
    for (char c : text) {
        if (c == '\n')
            result += '\r';
        result += c;
    }
    return result;
}
