#pragma once
// The look names the Windows fonts 微软雅黑 and 宋体; map them onto an installed CJK font.
void registerFontSubstitutions();
