#include <gtest/gtest.h>

#include <sstream>

#include "InMemorySettingsStore.h"
#include "StreamPrompt.h"

namespace corvane {
namespace {

TEST(InMemorySettingsStoreTest, ReadsBackWhatWasWrittenElseTheDefault) {
    InMemorySettingsStore settings;
    EXPECT_EQ(settings.ReadInt("Services", "Port", 8470), 8470);
    settings.WriteInt("Services", "Port", -5);
    settings.WriteString("Services", "HistoryUrl", "http://127.0.0.1:1");
    EXPECT_EQ(settings.ReadInt("Services", "Port", 0), -5);
    EXPECT_EQ(settings.ReadString("Services", "HistoryUrl", ""), "http://127.0.0.1:1");
    // Same key in another section, or read as the other type: the default.
    EXPECT_EQ(settings.ReadInt("Other", "Port", 7), 7);
    EXPECT_EQ(settings.ReadString("Services", "Port", "none"), "none");
}

TEST(StreamPromptTest, WritesCaptionAndTextAndGivesTheChosenAnswer) {
    std::ostringstream out;
    StreamPrompt prompt(out);
    EXPECT_EQ(
        prompt.Show("Can not open security file.", "Vaultix", PromptIcon::None, PromptButtons::Ok),
        PromptAnswer::Ok);
    EXPECT_EQ(prompt.Show("Overwrite?", "Corvane", PromptIcon::Question, PromptButtons::YesNo),
              PromptAnswer::No);
    EXPECT_EQ(out.str(), "Vaultix: Can not open security file.\nCorvane: Overwrite?\n");
    StreamPrompt yes(out, PromptAnswer::Yes);
    EXPECT_EQ(yes.Show("Go on?", "Corvane", PromptIcon::Question, PromptButtons::OkCancel),
              PromptAnswer::Ok);
}

}  // namespace
}  // namespace corvane
