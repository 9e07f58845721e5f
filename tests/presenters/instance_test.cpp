// The command line, the single instance's names and messages, and the instance event names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/window_messages.h"
#include "presenters/command_line.h"
#include "presenters/instance.h"

namespace qf::presenters {
namespace {

CommandLine Parse(std::vector<std::string_view> arguments) {
    return ParseCommandLine(arguments);
}

TEST(CommandLineTest, SwitchesIgnoreCaseAndOtherArgumentsAreIgnored) {
    EXPECT_EQ(Parse({}), (CommandLine{false, false}));
    for (const std::string_view kill : {"/Kill", "/kill", "/KILL", "/kIlL"}) {
        EXPECT_EQ(Parse({kill}), (CommandLine{true, false})) << kill;
    }
    for (const std::string_view start : {"/Start", "/start", "/START", "/sTaRt"}) {
        EXPECT_EQ(Parse({start}), (CommandLine{false, true})) << start;
    }
    EXPECT_EQ(Parse({"-style", "fusion", "--verbose", "Kill", "/Kil", "/Killer", "/Start "}),
              (CommandLine{false, false}));
    EXPECT_EQ(Parse({"whatever", "/start", "-x"}), (CommandLine{false, true}));
}

TEST(CommandLineTest, TheWalkIsInOrderAndKillEndsIt) {
    EXPECT_EQ(Parse({"/Start", "/Kill"}), (CommandLine{true, true}));
    // "/Kill" ends the program where it stands: what follows is never looked at.
    EXPECT_EQ(Parse({"/Kill", "/Start"}), (CommandLine{true, false}));

    const char* argv[] = {"/usr/bin/quillfen", "/START", nullptr};
    EXPECT_EQ(ParseCommandLine(2, argv), (CommandLine{false, true}));
    // The program's own name is never a switch.
    const char* self[] = {"/Kill"};
    EXPECT_EQ(ParseCommandLine(1, self), (CommandLine{false, false}));
}

TEST(InstanceNamesTest, ComeFromTheExecutableAndTheUserInTheRuntimeFolder) {
    const InstanceNames names = MakeInstanceNames("quillfen", 1000, "/run/user/1000");
    EXPECT_EQ(names.folder, "/run/user/1000");
    EXPECT_EQ(names.lockFile, "/run/user/1000/quillfen-1000.lock");
    EXPECT_EQ(names.socket, "/run/user/1000/quillfen-1000.socket");
    EXPECT_FALSE(names.sharedFolder);

    // Another installed name or another user never meets this instance.
    EXPECT_NE(MakeInstanceNames("quillfen-dev", 1000, "/run/user/1000").socket, names.socket);
    EXPECT_NE(MakeInstanceNames("quillfen", 1001, "/run/user/1000").lockFile, names.lockFile);
}

TEST(InstanceNamesTest, FallBackToTmpWithTheUid) {
    for (const std::optional<std::string>& runtime :
         {std::optional<std::string>{}, std::optional<std::string>{""},
          std::optional<std::string>{"relative/dir"}}) {
        const InstanceNames names = MakeInstanceNames("quillfen", 42, runtime);
        EXPECT_EQ(names.lockFile, "/tmp/quillfen-42.lock");
        EXPECT_EQ(names.socket, "/tmp/quillfen-42.socket");
        EXPECT_TRUE(names.sharedFolder);
    }
    // A runtime folder too deep for a socket address.
    const std::string deep = "/" + std::string(120, 'd');
    EXPECT_EQ(MakeInstanceNames("quillfen", 42, deep).socket, "/tmp/quillfen-42.socket");
    const std::string fits = "/" + std::string(80, 'd');
    EXPECT_LE(MakeInstanceNames("quillfen", 42, fits).socket.native().size(), kMaxSocketPathLength);
    EXPECT_EQ(MakeInstanceNames("quillfen", 42, fits).folder, fits);
    // An unknown executable name still gives a name of its own.
    EXPECT_EQ(MakeInstanceNames("", 7, "/run/user/7").socket, "/run/user/7/quillfen-7.socket");
}

TEST(InstanceMessagesTest, EncodeAndClassify) {
    const auto open = EncodeInstanceMessage(MessageForRequest(InstanceRequest::Open));
    EXPECT_EQ(open, (std::array<std::uint8_t, 8>{0x50, 0x53, 0, 0, 0x4E, 0x45, 0x50, 0x4F}));
    EXPECT_EQ(MessageForRequest(InstanceRequest::Kill),
              (InstanceMessage{app::kMsgKill, app::kTagKill}));

    EXPECT_EQ(ClassifyInstanceMessage({app::kMsgOpen, app::kTagOpen}), InstanceRequest::Open);
    EXPECT_EQ(ClassifyInstanceMessage({app::kMsgKill, app::kTagKill}), InstanceRequest::Kill);
    // A wrong tag, or a tag with another message, is nothing.
    EXPECT_EQ(ClassifyInstanceMessage({app::kMsgOpen, app::kTagKill}), InstanceRequest::None);
    EXPECT_EQ(ClassifyInstanceMessage({app::kMsgKill, 0}), InstanceRequest::None);
    EXPECT_EQ(ClassifyInstanceMessage({app::kMsgInit, app::kTagInit}), InstanceRequest::None);
}

TEST(InstanceMessagesTest, TheDecoderJoinsPiecesAndDropsWhatIsShortOrTooMuch) {
    const auto kill = EncodeInstanceMessage({app::kMsgKill, app::kTagKill});
    const auto open = EncodeInstanceMessage({app::kMsgOpen, app::kTagOpen});

    InstanceMessageDecoder decoder;
    EXPECT_TRUE(decoder.Feed(ByteSpan(kill).first(3)).empty());
    EXPECT_EQ(decoder.pending(), 3u);
    std::vector<std::uint8_t> rest(kill.begin() + 3, kill.end());
    rest.insert(rest.end(), open.begin(), open.end());
    rest.push_back(0x50);  // the start of a third message, cut short
    const auto messages = decoder.Feed(rest);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(ClassifyInstanceMessage(messages[0]), InstanceRequest::Kill);
    EXPECT_EQ(ClassifyInstanceMessage(messages[1]), InstanceRequest::Open);
    EXPECT_EQ(decoder.pending(), 1u);

    // Text on the socket decodes into messages that are nothing.
    InstanceMessageDecoder garbage;
    for (const auto& message : garbage.Feed(std::string_view("GET / HTTP/1.1\r\n\r\n"))) {
        EXPECT_EQ(ClassifyInstanceMessage(message), InstanceRequest::None);
    }

    // A flood: only the first bytes are read.
    InstanceMessageDecoder flooded;
    std::vector<std::uint8_t> many;
    for (int i = 0; i < 100; ++i) {
        many.insert(many.end(), open.begin(), open.end());
    }
    EXPECT_EQ(flooded.Feed(many).size(), kMaxInstanceBytesPerConnection / kInstanceMessageSize);
    EXPECT_TRUE(flooded.overflowed());
    EXPECT_TRUE(flooded.Feed(ByteSpan(open)).empty());
}

TEST(InstanceEventsTest, NamesHaveTwoDigitsUpTo99AndThreeAfter) {
    const auto names = InstanceEventNames();
    ASSERT_EQ(names.size(), 210u);
    EXPECT_EQ(names[0], "Quillfen_Event_Main_01");
    EXPECT_EQ(names[8], "Quillfen_Event_Main_09");
    EXPECT_EQ(names[98], "Quillfen_Event_Main_99");
    EXPECT_EQ(names[99], "Quillfen_Event_Main_100");
    EXPECT_EQ(names[209], "Quillfen_Event_Main_210");
    EXPECT_EQ(InstanceEventName(7), "Quillfen_Event_Main_07");
}

}  // namespace
}  // namespace qf::presenters
