// The setting, reading and ratio tables of the binary-protocol UPS families.
#include "driver/model/model_tables.h"

namespace gw::tables {
namespace {
constexpr SettingPair kHaPairs[] = {{-5, 131}, {-4, 132}, {-3, 133}, {-2, 134}, {-1, 135}, {0, 136},
                                    {1, 137},  {2, 138},  {3, 139},  {4, 140},  {5, 141}};
constexpr SettingPair kHbPairs[] = {{-5, 255}, {-4, 256}, {-3, 257}, {-2, 258}, {-1, 259}, {0, 260},
                                    {1, 261},  {2, 262},  {3, 263},  {4, 264},  {5, 265}};
constexpr SettingPair kHcPairs[] = {{-5, 270}, {-4, 272}, {-3, 274},
                                    {-2, 276}, {-1, 278}, {0, 280}};
constexpr SettingPair kHdPairs[] = {{-5, 258}, {-4, 260}, {-3, 262},
                                    {-2, 264}, {-1, 266}, {0, 268}};
constexpr SettingPair kHePairs[] = {{-5, 243}, {-4, 245}, {-3, 247},
                                    {-2, 249}, {-1, 251}, {0, 253}};
constexpr SettingPair kHfPairs[] = {{-5, 270}, {-4, 272}, {-3, 274},
                                    {-2, 276}, {-1, 278}, {0, 280}};
constexpr SettingPair kHgPairs[] = {{-5, 115}, {-4, 116}, {-3, 117}, {-2, 118}, {-1, 119}, {0, 120},
                                    {1, 121},  {2, 122},  {3, 123},  {4, 124},  {5, 125}};
constexpr SettingPair kHhPairs[] = {{-5, 140}, {-4, 141}, {-3, 142}, {-2, 143}, {-1, 144}, {0, 145},
                                    {1, 146},  {2, 147},  {3, 148},  {4, 149},  {5, 150}};
constexpr SettingPair kHiPairs[] = {{-5, 120}, {-4, 121}, {-3, 122}, {-2, 123}, {-1, 124}, {0, 125},
                                    {1, 126},  {2, 127},  {3, 128},  {4, 129},  {5, 130}};
constexpr SettingPair kHjPairs[] = {{-5, 150}, {-4, 151}, {-3, 152}, {-2, 153}, {-1, 154}, {0, 155},
                                    {1, 156},  {2, 157},  {3, 158},  {4, 159},  {5, 160}};
constexpr SettingPair kHkPairs[] = {{-9, 138}, {-8, 139}, {-7, 140}, {-6, 141}, {-5, 142},
                                    {-4, 143}, {-3, 144}, {-2, 145}, {-1, 146}, {0, 147}};
constexpr SettingPair kHlPairs[] = {{-9, 126}, {-8, 127}, {-7, 128}, {-6, 129}, {-5, 130},
                                    {-4, 131}, {-3, 132}, {-2, 133}, {-1, 134}, {0, 135}};
constexpr SettingPair kHmPairs[] = {{-9, 114}, {-8, 115}, {-7, 116}, {-6, 117}, {-5, 118},
                                    {-4, 119}, {-3, 120}, {-2, 121}, {-1, 122}, {0, 123}};
constexpr SettingPair kHnPairs[] = {{-9, 141}, {-8, 142}, {-7, 143}, {-6, 144}, {-5, 145},
                                    {-4, 146}, {-3, 147}, {-2, 148}, {-1, 149}, {0, 150}};
constexpr SettingPair kLaPairs[] = {{-5, 93}, {-4, 94}, {-3, 95}, {-2, 96}, {-1, 97}, {0, 98},
                                    {1, 99},  {2, 100}, {3, 101}, {4, 102}, {5, 103}};
constexpr SettingPair kLbPairs[] = {{-5, 185}, {-4, 186}, {-3, 187}, {-2, 188}, {-1, 189}, {0, 190},
                                    {1, 191},  {2, 192},  {3, 193},  {4, 194},  {5, 195}};
constexpr SettingPair kLcPairs[] = {{0, 165}, {1, 167}, {2, 169}, {3, 171}, {4, 173}, {5, 175}};
constexpr SettingPair kLdPairs[] = {{0, 158}, {1, 160}, {2, 162}, {3, 164}, {4, 166}, {5, 168}};
constexpr SettingPair kLePairs[] = {{0, 149}, {1, 151}, {2, 153}, {3, 155}, {4, 157}, {5, 159}};
constexpr SettingPair kLfPairs[] = {{0, 172}, {1, 174}, {2, 176}, {3, 178}, {4, 180}, {5, 182}};
constexpr SettingPair kLgPairs[] = {{-5, 75}, {-4, 76}, {-3, 77}, {-2, 78}, {-1, 79}, {0, 80},
                                    {1, 81},  {2, 82},  {3, 83},  {4, 84},  {5, 85}};
constexpr SettingPair kLhPairs[] = {{-5, 85}, {-4, 86}, {-3, 87}, {-2, 88}, {-1, 89}, {0, 90},
                                    {1, 91},  {2, 92},  {3, 93},  {4, 94},  {5, 95}};
constexpr SettingPair kLiPairs[] = {{-5, 65}, {-4, 66}, {-3, 67}, {-2, 68}, {-1, 69}, {0, 70},
                                    {1, 71},  {2, 72},  {3, 73},  {4, 74},  {5, 75}};
constexpr SettingPair kLjPairs[] = {{-5, 83}, {-4, 84}, {-3, 85}, {-2, 86}, {-1, 87}, {0, 88},
                                    {1, 89},  {2, 90},  {3, 91},  {4, 92},  {5, 93}};
constexpr SettingPair kLkPairs[] = {{0, 88}, {1, 89}, {2, 90}, {3, 91}, {4, 92},
                                    {5, 93}, {6, 94}, {7, 95}, {8, 96}, {9, 97}};
constexpr SettingPair kLlPairs[] = {{0, 80}, {1, 81}, {2, 82}, {3, 83}, {4, 84},
                                    {5, 85}, {6, 86}, {7, 87}, {8, 88}, {9, 89}};
constexpr SettingPair kLmPairs[] = {{0, 75}, {1, 76}, {2, 77}, {3, 78}, {4, 79},
                                    {5, 80}, {6, 81}, {7, 82}, {8, 83}, {9, 84}};
constexpr SettingPair kLnPairs[] = {{0, 93}, {1, 94}, {2, 95},  {3, 96},  {4, 97},
                                    {5, 98}, {6, 99}, {7, 100}, {8, 101}, {9, 102}};
constexpr SettingPair kBaPairs[] = {{-8, 15}, {-7, 18}, {-6, 19}, {-5, 20}, {-4, 22}, {-3, 24},
                                    {-2, 25}, {-1, 26}, {0, 28},  {1, 30},  {2, 32},  {3, 34},
                                    {4, 35},  {5, 36},  {6, 38},  {7, 40}};
constexpr SettingPair kBbPairs[] = {{-6, 25}, {-5, 30}, {-3, 35}, {-2, 40},
                                    {0, 45},  {2, 50},  {4, 55},  {6, 60}};
constexpr SettingPair kOaPairs[] = {{2, 110}, {1, 115}, {0, 120}, {-1, 124}, {-2, 128}, {-3, 130}};
constexpr SettingPair kObPairs[] = {{4, 190}, {3, 200}, {2, 210}, {1, 220}, {0, 230}, {-1, 240}};
constexpr SettingPair kOcPairs[] = {{0, 100}, {5, 105}, {10, 110}};
constexpr SettingPair kOdPairs[] = {{-10, 100}, {0, 110}, {10, 120}};
constexpr SettingPair kOePairs[] = {{-10, 110}, {0, 120}, {10, 130}};
constexpr SettingPair kOfPairs[] = {{-7, 120}, {0, 127}, {3, 130}};
constexpr SettingPair kOgPairs[] = {{0, 208}, {1, 210}, {5, 220}};
constexpr SettingPair kOhPairs[] = {{-5, 210}, {0, 220}, {5, 230}};
constexpr SettingPair kOiPairs[] = {{-5, 220}, {0, 230}, {5, 240}};
constexpr SettingPair kOjPairs[] = {{-5, 230}, {0, 240}, {5, 250}};

constexpr TablePoint kVaPoints[] = {{25, 0},  {26, 30}, {54, 60}, {80, 80},
                                    {86, 85}, {92, 90}, {98, 95}, {160, 145}};
constexpr TablePoint kVbPoints[] = {{25, 0},   {26, 69},  {54, 138}, {80, 184},
                                    {86, 195}, {92, 207}, {98, 218}, {160, 333}};
constexpr TablePoint kVcPoints[] = {{29, 0}, {30, 30}, {255, 255}};
constexpr TablePoint kVdPoints[] = {{0, 0}, {1, 51}, {255, 305}};
constexpr TablePoint kCaPoints[] = {{151, 0}, {197, 10000}};
constexpr TablePoint kCbPoints[] = {{0, 0}, {100, 10000}};
constexpr TablePoint kPaPoints[] = {{0, 0}, {100, 20000}};
constexpr TablePoint kPaBatteryPoints[] = {{0, 0}, {106, 20000}};
constexpr TablePoint kPbPoints[] = {{0, 0}, {66, 20000}};
constexpr TablePoint kPbBatteryPoints[] = {{0, 0}, {88, 20000}};
constexpr TablePoint kPcPoints[] = {{0, 0}, {108, 20000}};
constexpr TablePoint kPcBatteryPoints[] = {{0, 0}, {86, 20000}};
constexpr TablePoint kPdPoints[] = {{0, 0}, {108, 20000}};
constexpr TablePoint kPdBatteryPoints[] = {{0, 0}, {104, 20000}};
constexpr TablePoint kPePoints[] = {{0, 0}, {200, 20000}};
constexpr TablePoint kPeBatteryPoints[] = {{0, 0}, {200, 20000}};
constexpr TablePoint kTaPoints[] = {{0, 0},    {122, 25},  {136, 30},  {154, 35},
                                    {165, 40}, {178, 45},  {192, 53},  {210, 65},
                                    {230, 84}, {241, 100}, {248, 120}, {255, 140}};
constexpr TablePoint kTbPoints[] = {{0, 0},    {122, 25}, {136, 27}, {154, 30},
                                    {165, 32}, {178, 35}, {192, 39}, {210, 45},
                                    {230, 54}, {241, 62}, {248, 72}, {255, 82}};
constexpr TablePoint kTcPoints[] = {{0, 0},    {136, 30}, {154, 32}, {165, 35}, {178, 37},
                                    {192, 43}, {210, 47}, {230, 53}, {241, 65}, {248, 75}};
constexpr TablePoint kTdPoints[] = {{0, 0}, {200, 200}};
constexpr TablePoint kFaPoints[] = {{162, 6510}, {176, 6060}, {177, 6030}, {178, 6000},
                                    {179, 5970}, {180, 5940}, {217, 5040}, {218, 5020},
                                    {219, 5000}, {220, 4980}, {221, 4960}, {246, 4510}};
constexpr TablePoint kFbPoints[] = {{0, 0}, {1, 4510}, {255, 7050}};

}  // namespace

const SettingTable kHa{kHaPairs};
const SettingTable kHb{kHbPairs};
const SettingTable kHc{kHcPairs};
const SettingTable kHd{kHdPairs};
const SettingTable kHe{kHePairs};
const SettingTable kHf{kHfPairs};
const SettingTable kHg{kHgPairs};
const SettingTable kHh{kHhPairs};
const SettingTable kHi{kHiPairs};
const SettingTable kHj{kHjPairs};
const SettingTable kHk{kHkPairs};
const SettingTable kHl{kHlPairs};
const SettingTable kHm{kHmPairs};
const SettingTable kHn{kHnPairs};
const SettingTable kLa{kLaPairs};
const SettingTable kLb{kLbPairs};
const SettingTable kLc{kLcPairs};
const SettingTable kLd{kLdPairs};
const SettingTable kLe{kLePairs};
const SettingTable kLf{kLfPairs};
const SettingTable kLg{kLgPairs};
const SettingTable kLh{kLhPairs};
const SettingTable kLi{kLiPairs};
const SettingTable kLj{kLjPairs};
const SettingTable kLk{kLkPairs};
const SettingTable kLl{kLlPairs};
const SettingTable kLm{kLmPairs};
const SettingTable kLn{kLnPairs};
const SettingTable kBa{kBaPairs};
const SettingTable kBb{kBbPairs};
const SettingTable kOa{kOaPairs};
const SettingTable kOb{kObPairs};
const SettingTable kOc{kOcPairs};
const SettingTable kOd{kOdPairs};
const SettingTable kOe{kOePairs};
const SettingTable kOf{kOfPairs};
const SettingTable kOg{kOgPairs};
const SettingTable kOh{kOhPairs};
const SettingTable kOi{kOiPairs};
const SettingTable kOj{kOjPairs};

const ConversionTable kVa{0, kVaPoints};
const ConversionTable kVb{0, kVbPoints};
const ConversionTable kVc{0, kVcPoints};
const ConversionTable kVd{0, kVdPoints};
const ConversionTable kCa{0, kCaPoints};
const ConversionTable kCb{0, kCbPoints};
const ConversionTable kTa{0, kTaPoints};
const ConversionTable kTb{0, kTbPoints};
const ConversionTable kTc{0, kTcPoints};
const ConversionTable kTd{0, kTdPoints};
const ConversionTable kFa{0, kFaPoints};
const ConversionTable kFb{0, kFbPoints};
const LoadTables kPa{{0, kPaPoints}, {0, kPaBatteryPoints}};
const LoadTables kPb{{0, kPbPoints}, {0, kPbBatteryPoints}};
const LoadTables kPc{{0, kPcPoints}, {0, kPcBatteryPoints}};
const LoadTables kPd{{0, kPdPoints}, {0, kPdBatteryPoints}};
const LoadTables kPe{{0, kPePoints}, {0, kPeBatteryPoints}};

const RatioTable kXa{{{120, 140}, {120, 100}, {140, 100}}};
const RatioTable kXb{{{265, 295}, {265, 235}, {295, 235}}};
const RatioTable kXc{{{226, 258}, {258, 226}, {290, 226}}};
const RatioTable kXd{{{241, 278}, {278, 241}, {290, 226}}};
const RatioTable kXe{{{100, 115}, {100, 85}, {115, 85}}};
const RatioTable kXf{{{1, 1}, {1, 1}, {1, 1}}};

}  // namespace gw::tables
