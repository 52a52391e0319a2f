// What lurctl says of `render`, which runs in lurctl-render: both show it.
#include "Commands.h"

const char* const kRenderSummary = "paint a graph of a session file as PNG";

const char* const kRenderUsage =
    "Usage:\n"
    "  lurctl render FILE.lur --graph map|section|profile-curve|sounding|progress|track-view\n"
    "          [--profile P] [--station S] [--reading K] [--frequency N] [--width W] [--height H]\n"
    "          [--pixel-size N] [--radius R] [--stretch] [--out FILE.png] [--values FILE.csv]\n"
    "      Paints one graph of a session file exactly as the measurement page does, with the\n"
    "      settings store and the calibration the file names, into a W x H picture (default\n"
    "      640 x 480) written as PNG (default FILE.<graph>.png). P and S (from 0, default 0)\n"
    "      choose the survey station the page would stand at; K (from 0, default the last) the\n"
    "      reading of a track sounding curve, or the current reading of the track view; N (from\n"
    "      1, default the settings' area frequency) the frequency of maps and profile curves.\n"
    "      --pixel-size and --radius (track map, in cells) override the settings for this\n"
    "      picture only; so does --stretch, which fills the picture instead of keeping true\n"
    "      proportions (a long track's section is otherwise a thin strip). For a GPS track session map, section, profile-curve and sounding are\n"
    "      the track graphs and progress is the track view. --values writes the value under\n"
    "      each pixel as CSV (one line per pixel row, empty where the graph shows no value).\n"
    "      The settings are never written. Exits with 1 and the reason when the graph has\n"
    "      nothing to show.\n";
