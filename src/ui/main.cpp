// Vandoret: the program. Application holds the run from the first start-up step to the last
// object freed (ui/Application.h).
#include "ui/Application.h"

int main(int argc, char* argv[]) {
    vandoret::ui::Application application(argc, argv);
    return application.Run();
}
