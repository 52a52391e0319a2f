// What lurctl says of `render`, which runs in lurctl-render: both show it.
#include "Commands.h"

const char* const kRenderSummary = "paint a graph of a session file as PNG";

const char* const kRenderUsage =
    "Usage:\n"
    "  lurctl render FILE.lur --graph map|section|profile-curve|sounding|progress|track-view\n"
    "          [--profile P] [--station S] [--reading K] [--frequency N] [--width W] [--height H]\n"
    "          [--pixel-size N] [--radius R] [--stretch] [--gps-lag S] [--antenna-offset M]\n"
    "          [--out FILE.png] [--values FILE.csv]\n"
    "      Paints one graph of a session file exactly as the measurement page does, with the\n"
    "      settings store and the calibration the file names, into a W x H picture (default 640\n"
    "      x 480) written as PNG (default FILE.<graph>.png). P and S (from 0, default 0) choose\n"
    "      the survey station the page would stand at; K (from 0, default the last) the reading\n"
    "      of a track sounding curve, or the current reading of the track view; N (from 1,\n"
    "      default the settings' area frequency) the frequency of maps and profile curves.\n"
    "      --pixel-size and --radius (track map, in cells of a 240-pixel-wide map however wide\n"
    "      the picture, as on the page) override the settings for this picture only; so does\n"
    "      --stretch, which fills the picture instead of keeping true proportions (a long\n"
    "      track's section is otherwise a thin strip). For a GPS track session map, section,\n"
    "      profile-curve and sounding are the track graphs and progress is the track view; they\n"
    "      place the readings corrected for the GPS receiver's lag and the antenna's distance\n"
    "      ahead of the instrument's centre, those of the settings unless --gps-lag (0 to 5 s)\n"
    "      or --antenna-offset (-10 to 10 m, negative behind) say otherwise, and leave out\n"
    "      readings without a position. --values writes the value under each pixel as CSV (one\n"
    "      line per pixel row, empty where the graph shows no value). The settings are never\n"
    "      written. Exits with 1 and the reason when the graph has nothing to show.\n";
