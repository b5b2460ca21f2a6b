#include "app/TForm1.h"

namespace nimbar {

void TForm1::writeBoardCommand(int, const QByteArray&) {}

} // namespace nimbar
