// The view model layer; its classes arrive with the features that need them.
namespace viewmodels_layer {
extern const int kPlaceholder;
const int kPlaceholder = 0;
}
