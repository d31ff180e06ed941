// The window restyled by the skin library through the host library, and
// its own look back after detach (offscreen).
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QStatusBar>
#include <QTableView>
#include <QVBoxLayout>

#include "app/skin_host.h"

namespace varomby {
namespace {

struct Look {
  QString styleSheet;
  QColor highlight;
  QColor buttonText;
  QString family;
  bool operator==(const Look&) const = default;
};

Look LookOf(const QWidget& widget) {
  return {widget.styleSheet(), widget.palette().color(QPalette::Highlight),
          widget.palette().color(QPalette::ButtonText), widget.font().family()};
}

class SkinWindowTest : public ::testing::Test {
 protected:
  SkinWindowTest() {
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(button = new QPushButton(QStringLiteral("go")));
    layout->addWidget(new QLineEdit);
    auto* table = new QTableView;
    table->setModel(new QStandardItemModel(3, 3, table));
    layout->addWidget(table);
    layout->addWidget(new QStatusBar);
    window.resize(300, 300);
  }

  QWidget window;
  QPushButton* button = nullptr;
};

TEST_F(SkinWindowTest, AttachStylesTheWindowAndDetachRestoresItsOwnLook) {
  window.setStyleSheet(QStringLiteral("QLabel { color: red; }"));  // the window's own sheet survives
  const Look own = LookOf(window);
  const Look ownButton = LookOf(*button);
  app::SkinSession skin;
  skin.Load();
  ASSERT_TRUE(skin.Loaded());

  skin.Attach(window);
  ASSERT_TRUE(skin.Skinned());
  EXPECT_NE(LookOf(window), own);
  EXPECT_EQ(window.palette().color(QPalette::Highlight), QColor(0x2F, 0x6F, 0x68));
  EXPECT_EQ(button->palette().color(QPalette::ButtonText), QColor(0xE6, 0xE9, 0xEF)) << "children are styled too";
  EXPECT_EQ(window.font().family(), QStringLiteral("Noto Sans CJK SC"));
  EXPECT_TRUE(window.styleSheet().contains(QStringLiteral("QPushButton:hover")));
  EXPECT_TRUE(window.styleSheet().contains(QStringLiteral("#3fb6a8"))) << "the accent colour is used";

  skin.Detach();
  EXPECT_FALSE(skin.Skinned());
  EXPECT_EQ(LookOf(window), own);
  EXPECT_EQ(LookOf(*button), ownButton);
}

TEST_F(SkinWindowTest, DetachWithoutAttachChangesNothing) {
  const Look own = LookOf(window);
  app::SkinSession skin;
  skin.Load();
  skin.Detach();
  EXPECT_EQ(LookOf(window), own);
}

TEST(SkinStartUpTest, WindowOpensSkinnedAndClosesUnskinned) {
  app::SkinSession skin;
  app::Application program({}, app::HooksFor(skin));
  EXPECT_TRUE(skin.Loaded());
  EXPECT_TRUE(skin.Skinned()) << "the created event attaches the skin";
  EXPECT_FALSE(program.Window().styleSheet().isEmpty());
  program.Window().close();
  EXPECT_FALSE(skin.Skinned()) << "the destroying event detaches it";
  EXPECT_TRUE(program.Window().styleSheet().isEmpty());
}

TEST(SkinStartUpTest, UnloadableLibraryLeavesTheWindowUnskinned) {
  static const std::uint8_t kNotAnImage[] = {'M', 'Z', 0, 0};
  app::SkinSession skin(kNotAnImage);
  app::Application program({}, app::HooksFor(skin));
  EXPECT_FALSE(skin.Loaded());
  EXPECT_FALSE(skin.Skinned());
  EXPECT_TRUE(program.Window().styleSheet().isEmpty());
  program.Window().close();
  EXPECT_FALSE(skin.Skinned());
}

TEST(SkinStyleSheetTest, MissingRolesFallBackToACompleteSheet) {
  const QString sheet = app::QtSkinStyler::StyleSheetFor(SkinParameters{});
  EXPECT_FALSE(sheet.contains(QStringLiteral("%{"))) << "every placeholder is filled";
}

}  // namespace
}  // namespace varomby
