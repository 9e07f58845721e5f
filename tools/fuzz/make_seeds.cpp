// Writes the seed corpora of the fuzz targets, each made by the program's own code: profile
// files saved by the profile format, macro images packed by the macro image builder, INI files
// edited with the INI writer, the virtual keyboard's state and the replies its firmware gives.
//
//   qf_seed_maker <corpus folder>     writes <corpus folder>/<target>/<name> for every target

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "device/commands.h"
#include "device/report.h"
#include "device/services/virtual/firmware.h"
#include "device/services/virtual/keyboard_memory.h"
#include "device/services/virtual/state_file.h"
#include "device/transaction.h"
#include "keys/default_keymap.h"
#include "keys/key_codes.h"
#include "keys/keymap_image.h"
#include "lighting/lighting_model.h"
#include "macros/macro_image.h"
#include "macros/macro_record.h"
#include "profiles/profile_format.h"
#include "text/ini_file.h"
#include "text/language.h"

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path g_root;
int g_failures = 0;

void Put(std::string_view target, std::string_view name, const Bytes& bytes) {
    const fs::path folder = g_root / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "cannot write %s/%s\n", std::string(target).c_str(),
                     std::string(name).c_str());
        ++g_failures;
    }
}

void Put(std::string_view target, std::string_view name, std::string_view text) {
    Put(target, name, Bytes(text.begin(), text.end()));
}

// Inputs for targets that read with FuzzedDataProvider, which takes byte strings from the front
// and integers from the back: integers are kept in the order they are consumed and appended
// reversed.
class ProviderInput {
public:
    void Byte(std::uint8_t value) { back_.push_back(value); }
    void Data(const std::uint8_t* data, std::size_t n) {
        front_.insert(front_.end(), data, data + n);
    }
    // A string as ConsumeRandomLengthString reads it: backslashes doubled, "\\n" ends it.
    void String(std::string_view text) {
        for (char c : text) {
            front_.push_back(static_cast<std::uint8_t>(c));
            if (c == '\\') {
                front_.push_back('\\');
            }
        }
        front_.push_back('\\');
        front_.push_back('n');
    }
    void Text(std::string_view text) { front_.insert(front_.end(), text.begin(), text.end()); }
    Bytes Build() const {
        Bytes out = front_;
        out.insert(out.end(), back_.rbegin(), back_.rend());
        return out;
    }

private:
    Bytes front_;
    Bytes back_;
};

// A device service whose replies are the virtual keyboard firmware's, recorded as the reply
// fuzzers' input reads them: device present, a reply to the request, its status and data.
class RecordingService final : public qf::device::DeviceService {
public:
    RecordingService(ProviderInput& input, qf::vkbd::KeyboardMemory& memory)
        : input_(input), firmware_(memory) {}
    void Attach(qf::device::ReportTransport* transport) { transport_ = transport; }

    int RequestGetDeviceCount(const QfRequestKey&, std::uint32_t) override {
        input_.Byte(1);
        return 1;
    }
    int RequestWriteOne(const QfRequestKey&, const std::uint8_t* data, std::uint32_t length,
                        std::uint32_t) override {
        qf::device::Report request{};
        std::copy_n(data, std::min<std::uint32_t>(length, 64), request.begin());
        const qf::device::Report reply = firmware_.Serve(request);
        input_.Byte(3);  // a reply to this request
        const std::uint8_t status = reply[qf::device::report::kStatus];
        if (status == 0) {
            input_.Byte(3);
        } else {
            input_.Byte(2);
            input_.Byte(status);
        }
        input_.Data(reply.data() + qf::device::report::kData, qf::device::kReportDataSize);
        transport_->DeliverReply(reply.data(), 64);
        return 1;
    }
    int RequestAsyncRead(const QfRequestKey&, qf::device::NotificationSink*, std::uint32_t,
                         std::uint32_t, std::uint32_t* id) override {
        if (id != nullptr) {
            *id = 1;
        }
        return 1;
    }
    int RequestStatusWrite(const QfRequestKey&, qf::device::NotificationSink*, std::uint32_t,
                           const std::uint8_t*, std::uint32_t, std::uint32_t,
                           std::uint32_t* id) override {
        if (id != nullptr) {
            *id = 1;
        }
        return 1;
    }
    int DeleteRequestFromUnitId(std::uint32_t) override { return 1; }

private:
    ProviderInput& input_;
    qf::vkbd::Firmware firmware_;
    qf::device::ReportTransport* transport_ = nullptr;
};

qf::macros::MacroRecord SampleMacro(std::uint16_t id, int actions, std::u16string_view name) {
    qf::macros::MacroRecord m;
    m.SetName(name);
    m.id = id;
    m.repeatCount = static_cast<std::uint8_t>(id + 1);
    for (int j = 0; j < actions; ++j) {
        m.AppendAction({j * 30, static_cast<std::uint16_t>(0x01E + (j / 2) % 10),
                        static_cast<std::uint16_t>(j & 1)});
    }
    return m;
}

void ProfileSeeds() {
    using namespace qf::profiles;
    StoreContents blank;
    blank.mainBlock = NewMainBlock(0);
    Bytes file;
    if (BuildProfileFile(blank, file) == 1) {
        Put("profile_file_fuzzer", "blank.fwc", file);
    }

    StoreContents full;
    full.mainBlock = NewMainBlock(1);
    qf::keys::KeyRecord text;
    text.kind = static_cast<std::uint16_t>(qf::keys::KeyKind::Text);
    full.SetRecord(5, text);
    full.strings.Set(5, u"hello");
    qf::keys::KeyRecord program;
    program.kind = static_cast<std::uint16_t>(qf::keys::KeyKind::Program);
    full.SetRecord(600, program);
    full.strings.Set(600, u"/usr/bin/true");
    qf::keys::KeyRecord macro;
    macro.kind = static_cast<std::uint16_t>(qf::keys::KeyKind::Macro);
    macro.value = 1;
    macro.extra = 2;
    full.SetRecord(30, macro);
    full.macros.push_back(SampleMacro(1, 6, u"first"));
    if (BuildProfileFile(full, file) == 1 && file.size() > 6) {
        Put("profile_file_fuzzer", "one_macro_strings.fwc", file);
        // The same file with its string area cut short, as a torn copy would leave it.
        file.resize(file.size() - 6);
        Put("profile_file_fuzzer", "cut_strings.fwc", file);
    }
}

void MacroImageSeeds() {
    using namespace qf::macros;
    const std::vector<MacroRecord> lists[] = {
        {},
        {SampleMacro(1, 4, u"a")},
        {SampleMacro(1, 10, u"first"), SampleMacro(2, 3, u"second"), SampleMacro(3, 0, u"")},
    };
    int n = 0;
    for (const auto& list : lists) {
        for (bool names : {true, false}) {
            const ImageSizes sizes = MacroImageSizes(list);
            const std::size_t size = names ? sizes.withNames : sizes.withoutNames;
            Bytes image(size);
            if (BuildMacroImage(list, image, size, names) == 1) {
                Put("macro_image_fuzzer", "image" + std::to_string(n++), image);
            }
        }
    }
}

void KeymapSeeds() {
    using namespace qf::keys;
    const KeymapImage defaults = DefaultKeymap().Get();
    Put("keymap_image_fuzzer", "defaults", Bytes(defaults.begin(), defaults.end()));
    // A block with a few assignments of each kind, converted by the program.
    std::array<std::uint8_t, kKeyBlockSize> block{};
    if (KeymapImageToKeyBlock(defaults, defaults, block) != 1) {
        return;
    }
    const auto set = [&](std::size_t record, KeyKind kind, std::uint32_t value) {
        KeyRecord r = KeyRecord::Read(block.data() + record * kKeyRecordSize);
        r.kind = static_cast<std::uint16_t>(kind);
        r.value = value;
        r.Write(block.data() + record * kKeyRecordSize);
    };
    set(0x1E, KeyKind::Key, 0x030);
    set(0x1F, KeyKind::Macro, 2);
    set(0x20, KeyKind::Media, 3);
    set(0x21, KeyKind::Function, 1);
    set(0x22, KeyKind::Disabled, 0);
    set(0x23, KeyKind::StopMacro, 0);
    KeymapImage image{};
    const MacroPositionOf position = [](std::uint32_t id) -> std::optional<std::size_t> {
        return id >= 1 ? std::optional<std::size_t>(id - 1) : std::nullopt;
    };
    if (KeyBlockToKeymapImage(block, defaults, position, image) == 1) {
        Put("keymap_image_fuzzer", "assigned", Bytes(image.begin(), image.end()));
        Bytes both(image.begin(), image.end());
        both.insert(both.end(), defaults.begin(), defaults.end());
        Put("keymap_image_fuzzer", "assigned_with_defaults", both);
    }
}

// One command per seed, answered as the virtual keyboard answers it.
void DeviceReplySeeds() {
    using qf::device::DeviceCommands;
    for (std::uint8_t op = 0; op < 14; ++op) {
        ProviderInput input;
        qf::vkbd::KeyboardMemory memory(32);
        RecordingService service(input, memory);
        qf::device::ReportTransport transport(service, qf::device::TransactionTiming::Scaled(0.0));
        service.Attach(&transport);
        DeviceCommands commands(transport);
        std::array<std::uint8_t, 512> block{};
        std::array<std::uint8_t, 56> window{};
        qf::device::DeviceInfoBlock info;
        input.Byte(op);
        qf::device::DeviceResult r = qf::device::DeviceResult::NoDevice;
        switch (op) {
            case 0:
                r = commands.BeginTransfer();
                break;
            case 1:
                r = commands.EndTransfer();
                break;
            case 2:
                r = commands.TestCommand();
                break;
            case 3:
                r = commands.ReadDeviceInfo(info);
                break;
            case 4:
                input.Byte(0);
                info.setActiveProfile(0);
                r = commands.WriteDeviceInfo(info);
                break;
            case 5:
                input.Byte(42);
                input.Byte(0);
                input.Byte(0);
                r = commands.ReadSettings(window, 42, 0);
                break;
            case 6:
                input.Byte(3);
                input.Byte(0);
                input.Byte(0);
                r = commands.WriteSettings(window.data(), 3, 0);
                break;
            case 7:
                input.Byte(1);
                r = commands.ReadKeymapBlock(block, 1);
                break;
            case 8:
                input.Byte(2);
                r = commands.WriteKeymapBlock(block, 2);
                break;
            case 9: {
                // ConsumeIntegralInRange(0, 0x10100) reads three bytes, most significant first.
                input.Byte(0);
                input.Byte(1);
                input.Byte(0);  // 256
                Bytes macro(256);
                r = commands.ReadMacroArea(macro.data(), 256);
                break;
            }
            case 10: {
                input.Byte(0);
                input.Byte(120);  // 120 bytes, most significant byte first
                Bytes macro(120, 0xA5);
                r = commands.WriteMacroArea(macro.data(), 120);
                break;
            }
            case 11:
                r = commands.ReadDefaultKeymap(block);
                break;
            case 12:
                input.Byte(36);
                input.Byte(2);
                input.Byte(1);
                r = commands.ReadUserColours(window, 36, 2, 1);
                break;
            default:
                input.Byte(3);
                input.Byte(4);
                input.Byte(0);
                r = commands.WriteUserColours(window.data(), 3, 4, 0);
                break;
        }
        if (r != qf::device::DeviceResult::Ok) {
            std::fprintf(stderr, "device seed %d: result %d\n", op, qf::device::ToInt(r));
            ++g_failures;
        }
        Put("device_reply_fuzzer", "command" + std::to_string(op), input.Build());
    }
}

void LightingSeeds() {
    for (int withColours = 0; withColours < 2; ++withColours) {
        ProviderInput input;
        qf::vkbd::KeyboardMemory memory(32);
        RecordingService service(input, memory);
        qf::device::ReportTransport transport(service, qf::device::TransactionTiming::Scaled(0.0));
        service.Attach(&transport);
        qf::device::DeviceCommands commands(transport);
        qf::lighting::NoLightingView view;
        qf::text::IniFiles files;
        qf::lighting::LightingModel model(commands, view, files, "/nonexistent/quillfen/mrgo.ini");
        input.Byte(static_cast<std::uint8_t>(withColours));
        (void)model.ReadLightingState(withColours != 0);
        input.Byte(1);  // SetCurrentProfile(0): -1 + 1
        (void)model.SetCurrentProfile(0);
        input.Byte(0);  // SelectMode
        input.Byte(9);  // mode 8: -1 + 9
        (void)model.SelectMode(8);
        input.Byte(1);  // SetBrightness
        input.Byte(4);  // position 2
        (void)model.SetBrightness(2);
        Put("lighting_reply_fuzzer", "read_and_change" + std::to_string(withColours),
            input.Build());
    }
}

void IniSeeds() {
    qf::text::IniDocument doc;
    (void)doc.SetString("SCREEN", "Main", "main.jpg");
    (void)doc.SetString("SCREEN", "Mask", "mask.jpg");
    (void)doc.SetString("BUTTONINFO", "CONTROL_OK", "420,300,80,24");
    (void)doc.SetString("BUTTONINFO", "KEY_01C", "12, 40,30,30");
    (void)doc.SetString("Mode", "1", "Wave");
    (void)doc.SetString("Mode1", "1", "  padded  ");
    const std::string skin = "; skin layout\n" + doc.Serialise() + "[broken\nno equals sign\n";
    std::string crlf;
    for (char c : skin) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }

    for (const auto& [name, text] : {std::pair<std::string, std::string>{"skin", skin},
                                     {"skin_crlf_bom", "\xEF\xBB\xBF" + crlf}}) {
        ProviderInput ini;
        ini.String("BUTTONINFO");
        ini.String("control_ok");
        ini.String("1,1,1,1");
        ini.Text(text);
        ini.Byte(0);
        Put("ini_fuzzer", name, ini.Build());

        ProviderInput layout;
        layout.String(" 12,34, 56,78 trailing");
        layout.String("BUTTONINFO");
        layout.String("KEY_01C");
        for (int i = 0; i < 4; ++i) {
            layout.Byte(i == 3 ? 12 : 0);
        }
        layout.Text(text);
        Put("skin_layout_fuzzer", name, layout.Build());
    }

    // A language file with every key of both sections, as a translator would start it.
    qf::text::IniDocument language;
    (void)language.SetString("LANGUAGE", "language", "1");
    for (const auto& key : qf::text::kTextKeys) {
        (void)language.SetString("ENGINSH", key.key, key.builtIn);
        (void)language.SetString("CHINESE", key.key, std::string(key.builtIn) + " %s %d");
    }
    Put("language_fuzzer", "language.ini", language.Serialise());
    (void)language.SetString("LANGUAGE", "language", "0");
    Put("language_fuzzer", "language_chinese.ini", language.Serialise());
}

void FormatSeeds() {
    const char* texts[] = {
        "wrong file format, revert to the default values: \n  %s",
        "Unknown Key: %03x",
        "%-8s|%08X|%u|%i|%%|%n|%.3s|%ld|%",
        "%259d%0259x%-259s",
    };
    int n = 0;
    for (const char* text : texts) {
        ProviderInput in;
        in.String("/home/user/Documents/Quillfen_09A/a.fwc");
        in.String("name");
        for (int i = 0; i < 16; ++i) {
            in.Byte(static_cast<std::uint8_t>(0x11 * i));
        }
        in.Text(text);
        Put("format_fuzzer", "text" + std::to_string(n++), in.Build());
    }
}

void UserDirsSeeds() {
    Put("user_dirs_fuzzer", "standard",
        "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
        "XDG_DOCUMENTS_DIR=\"$HOME/Documents\"\n");
    Put("user_dirs_fuzzer", "absolute_escaped",
        "XDG_DOCUMENTS_DIR=\"/data/My \\\"Docs\\\"\"\nXDG_DOCUMENTS_DIR=$HOME/Dokumente\n");
}

void VirtualKeyboardSeeds() {
    qf::vkbd::KeyboardMemory memory(32);
    Put("vkbd_state_fuzzer", "factory", qf::vkbd::SerializeState(memory));
    const std::array<std::uint8_t, 4> bytes{1, 2, 3, 4};
    (void)memory.Write(qf::vkbd::Area::MacroMemory, 100, bytes);
    qf::vkbd::KeyboardMemory small(2);
    (void)small.Write(qf::vkbd::Area::Settings, 0, bytes);
    Put("vkbd_state_fuzzer", "written", qf::vkbd::SerializeState(memory));
    Put("vkbd_state_fuzzer", "small_macro", qf::vkbd::SerializeState(small));

    // Requests of each command, in frames as the host builds them.
    Bytes requests{32};
    for (std::uint8_t command : {1, 3, 5, 6, 7, 8, 9, 10, 13, 15, 16, 17, 2}) {
        qf::device::Report frame = qf::device::BlankFrame();
        frame[qf::device::report::kCommand] = command;
        frame[qf::device::report::kParameter] = command == 3 ? 44 : 8;
        frame[qf::device::report::kAddress] = command == 3 ? 0 : 16;
        frame[qf::device::report::kData] = 0x42;
        qf::device::StoreChecksum(frame);
        requests.insert(requests.end(), frame.begin(), frame.end());
    }
    Put("vkbd_firmware_fuzzer", "every_command", requests);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    g_root = argv[1];
    ProfileSeeds();
    MacroImageSeeds();
    KeymapSeeds();
    DeviceReplySeeds();
    LightingSeeds();
    IniSeeds();
    FormatSeeds();
    UserDirsSeeds();
    VirtualKeyboardSeeds();
    return g_failures == 0 ? 0 : 1;
}
