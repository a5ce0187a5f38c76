#include "world/environment/render_info_block.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "world/environment/env_text_cursor.h"

TEST(RenderInfoBlock, WriterTextIsExactAndReadsBack) {
  RenderInfoBlock block;
  block.flags = 3;
  block.count = 2;
  std::strcpy(block.entries[0].name, "wall.bmp");
  std::strcpy(block.entries[0].envMapName, "sky cube.bmp");
  block.entries[0].value = 0.5f;
  std::strcpy(block.entries[1].name, "glass.bmp");
  std::strcpy(block.entries[1].envMapName, "env.bmp");
  block.entries[1].value = 1.0f;
  block.renderValue = 24;
  std::string text;
  EnvFileWriteRenderInfo(block, text);
  EXPECT_EQ(text,
            "RINFO 3 ENVM 2 \"wall.bmp\" 0.500000 \"sky cube.bmp\" \"glass.bmp\" 1.000000 \"env.bmp\" 24");

  RenderInfoBlock back;
  EnvTextCursor cursor(text.c_str());
  ASSERT_TRUE(EnvFileReadRenderInfo(back, cursor));
  EXPECT_EQ(back.flags, 3u);
  EXPECT_EQ(back.count, 2);
  EXPECT_STREQ(back.entries[0].envMapName, "sky cube.bmp");
  EXPECT_FLOAT_EQ(back.entries[1].value, 1.0f);
  EXPECT_EQ(back.renderValue, 24);
  EXPECT_TRUE(cursor.AtEnd());

  std::string none;
  EnvFileWriteRenderInfo(RenderInfoBlock{}, none);
  EXPECT_EQ(none, "");
  RenderInfoBlock valueOnly;
  valueOnly.flags = 2;
  valueOnly.renderValue = 7;
  EnvFileWriteRenderInfo(valueOnly, none);
  EXPECT_EQ(none, "RINFO 2 7");
}

TEST(RenderInfoBlock, CountsOutOfRange) {
  std::string many = "RINFO 1 ENVM 40";
  for (int i = 0; i < 40; ++i) many += " a 1 b";
  many += " NEXT";
  RenderInfoBlock block;
  EnvTextCursor cursor(many.c_str());
  ASSERT_TRUE(EnvFileReadRenderInfo(block, cursor));
  EXPECT_EQ(block.count, RenderInfoBlock::kMaxEntries);
  char next[8];
  cursor.Token(next);
  EXPECT_STREQ(next, "NEXT");

  RenderInfoBlock negative;
  EnvTextCursor bad("RINFO 1 ENVM -3 a 1 b");
  EXPECT_FALSE(EnvFileReadRenderInfo(negative, bad));
  EXPECT_EQ(negative.count, 0);

  std::string longName = "RINFO 1 ENVM 1 " + std::string(80, 'x') + " 1 b";
  RenderInfoBlock cut;
  EnvTextCursor tooLong(longName.c_str());
  EXPECT_FALSE(EnvFileReadRenderInfo(cut, tooLong));
}
