#include "CommandTable.h"

#include "cli/Commands.h"

#include <algorithm>

namespace cadrelle {

namespace {

const OptionDescription kLibrary{"--library", "DIRECTORY",
                                 "Frame library to use (default: the shipped frames)"};
const OptionDescription kPreferred{"--preferred", "FRAME_ID",
                                   "Frame to use where several fit a capture's size"};
const OptionDescription kVideoFormat{"--video-format", "FORMAT",
                                     "Recordings as mp4 (default), hevc-alpha or prores-4444"};

} // namespace

const std::vector<CommandDescription>& commandTable() {
    static const std::vector<CommandDescription> table = {
        {"frame",
         "Frames one screenshot or recording with the given frame; prints the output path.",
         {{"--input", "SCREENSHOT_PNG_OR_RECORDING_MP4", "Capture to frame", true},
          {"--frame", "FRAME_PNG", "Frame with a transparent screen opening", true},
          {"--output", "DESTINATION", "Framed file to write; never replaces a file", true},
          kVideoFormat},
         "",
         "",
         runFrame},
        {"inspect-frame",
         "Describes a frame as JSON: its id, model, finish and screen opening.",
         {{"--input", "FRAME_PNG", "Frame to describe", true}},
         "",
         "",
         runInspectFrame},
        {"import-frames",
         "Adds frames to a library folder and prints how many frames it holds.",
         {{"--library", "DIRECTORY", "Library folder to add to", true}},
         "FRAME_PNG ...",
         "Frames to add",
         runImportFrames},
        {"app",
         "Starts the desktop application, which frames new captures in the background.",
         {{"--background", "", "Start without a window once setup is done"},
          {"--data-dir", "DIRECTORY", "Keep the application's data there (development only)"}},
         "[FILE ...]",
         "Captures to frame at once",
         {}},
        {"frame-all",
         "Frames every capture with the frame whose opening matches its size.",
         {{"--output", "DIRECTORY", "Folder for the framed copies", true},
          kLibrary,
          kPreferred,
          kVideoFormat,
          {"--json", "", "One JSON object per capture on standard output"}},
         "CAPTURE ...",
         "PNG screenshots and MP4 recordings",
         runFrameAll},
        {"watch",
         "Frames new captures as they arrive in a folder, until interrupted.",
         {{"--input", "DIRECTORY", "Folder where captures arrive", true},
          {"--output", "DIRECTORY", "Folder for the framed copies", true},
          kLibrary,
          kPreferred,
          {"--all-png", "", "Take every PNG, not only \"Simulator Screenshot\" names"},
          kVideoFormat,
          {"--json", "", "One JSON object per framed capture on standard output"}},
         "",
         "",
         runWatch},
        {"compose",
         "Composes framed captures into store images for each locale and store size.",
         {{"--config", "COMPOSITION_JSON", "Composition: sizes, background, captions, screens",
           true},
          {"--output", "DIRECTORY", "Folder for DIRECTORY/<locale>/<size>/<NN>-<screen>.png", true},
          {"--locale", "L[,L...]", "Only these locales (may be repeated; default: all)"},
          {"--size", "NAME[,NAME...]", "Only these sizes (may be repeated; default: all)"},
          kLibrary,
          {"--json", "", "One JSON object per store image on standard output"}},
         "",
         "",
         runCompose},
    };
    return table;
}

const CommandDescription* findCommand(const std::string& name) {
    const auto& table = commandTable();
    const auto found = std::ranges::find(table, name, &CommandDescription::name);
    return found == table.end() ? nullptr : &*found;
}

} // namespace cadrelle
