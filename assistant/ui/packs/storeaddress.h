#pragma once
// The web store's address. The build draws the store's QR picture
// (":/images/store_qr") from this same constant, so the code on screen and the
// address the button opens cannot drift apart.

constexpr char kStoreAddress[] = "https://store.tavinet.cn/";
