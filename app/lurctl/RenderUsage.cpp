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
    "      --pixel-size and --radius (track map, in cells) override the settings for this\n"
    "      picture only; so does --stretch, which fills the picture instead of keeping true\n"
    "      proportions (a long track's section is otherwise a thin strip). For a GPS track\n"
    "      session map, section, profile-curve and sounding are the track graphs and progress\n"
    "      is the track view; they place the readings corrected for the GPS receiver's lag and\n"
    "      the antenna's distance ahead of the instrument's centre, those of the settings\n"
    "      unless --gps-lag (0 to 5 s) or --antenna-offset (-10 to 10 m, negative behind) say\n"
    "      otherwise, and leave out readings without a position. --values writes the value\n"
    "      under each pixel as CSV (one line per pixel row, empty where the graph shows no\n"
    "      value). The settings are never written. Exits with 1 and the reason when the graph\n"
    "      has nothing to show.\n";
