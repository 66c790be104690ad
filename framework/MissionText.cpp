#include "MissionText.h"

MissionText::MissionText(std::initializer_list<const char*> texts)
    : count_(static_cast<int>(texts.size())), texts_(new tString[texts.size()]) {
    int i = 0;
    for (const char* t : texts) texts_[static_cast<std::size_t>(i++)] = tString(t);
}

tString& MissionText::operator[](int i) {
    static tString none;
    if (count_ == 0) return none;
    if (i < 0 || i >= count_) i = 0;
    return texts_[static_cast<std::size_t>(i)];
}
