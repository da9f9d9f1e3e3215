// The warning-lamp test: output 01 of identifier 0x0004 on, "is the warning
// lamp on?", then off, "is the warning lamp off?". After the lamp-on NO the
// failure marker is written only when SecurityAccess succeeded; after the
// lamp-off NO it is always sent.
#pragma once

#include "EolLampQuestionLogic.h"

class EolWarningLampLogic : public EolLampQuestionLogic {
public:
    static constexpr uint8_t kWarningLampOutput = 0x01;
    static constexpr int kLampOnPromptRow = 239;
    static constexpr int kLampOffPromptRow = 240;
    static constexpr int kLampOnRefusedRow = 187;
    static constexpr int kLampOffRefusedRow = 188;

    explicit EolWarningLampLogic(const tarvel::PageContext& context);
};
