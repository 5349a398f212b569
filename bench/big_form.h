// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The form of 200 controls the load and realise benchmarks use.

#include <string>

namespace quillon::bench {

// 20 panels, each holding 3 labels, 3 edits and 3 buttons: 200 controls.
inline std::string BigFormText() {
    std::string t =
        "object BigFrm: TForm\n  Caption = 'Two hundred'\n  ClientHeight = 800\n  ClientWidth = "
        "1000\n"
        "  Font.Height = -13\n  Font.Style = [fsBold]\n  ShowHint = True\n";
    int n = 0;
    for (int p = 0; p < 20; ++p) {
        t += "  object Panel" + std::to_string(p) +
             ": TPanel\n    Left = " + std::to_string((p % 4) * 250) +
             "\n    Top = " + std::to_string((p / 4) * 160) +
             "\n    Width = 240\n    Height = 150\n    BevelOuter = bvLowered\n    Color = "
             "clWhite\n";
        for (int i = 0; i < 3; ++i) {
            const std::string top = std::to_string(8 + i * 45);
            ++n;
            t += "    object Label" + std::to_string(n) +
                 ": TLabel\n      Left = 8\n      Top = " + top +
                 "\n      Caption = 'Label number " + std::to_string(n) + "'\n    end\n";
            t += "    object Edit" + std::to_string(n) +
                 ": TEdit\n      Left = 8\n      Top = " + std::to_string(24 + i * 45) +
                 "\n      Width = 120\n      Height = 21\n      Hint = 'Enter Data Here.'\n"
                 "      MaxLength = 30\n      Font.Name = 'Courier New'\n      ParentFont = "
                 "False\n      Text = '0'\n    end\n";
            t += "    object Button" + std::to_string(n) +
                 ": TButton\n      Left = 140\n      Top = " + top +
                 "\n      Width = 75\n      Height = 25\n      Caption = 'Button'\n    end\n";
        }
        t += "  end\n";
    }
    return t + "end\n";
}

}  // namespace quillon::bench
