// The client library's version text, "5.4-0".
#pragma once

const char* zxVersionText();
