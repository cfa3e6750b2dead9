"""The value network: the position's inputs, hidden layers with ReLU, and
17 logits whose softmax is the distribution of the end's score for the hammer
side (entry k + 8 for a score of k)."""

from torch import nn

from value_data import END_SCORES

# What granite's weights reader accepts.
MAX_LAYERS = 8
MAX_WIDTH = 1024


def parse_hidden(text):
    """The hidden widths of a list such as "64,64" ("" for none)."""
    try:
        widths = tuple(int(part) for part in text.split(",") if part.strip())
    except ValueError:
        raise ValueError(
            f"hidden widths must be integers separated by commas, not {text!r}") from None
    if len(widths) + 1 > MAX_LAYERS:
        raise ValueError(f"at most {MAX_LAYERS - 1} hidden layers")
    if any(width < 1 or width > MAX_WIDTH for width in widths):
        raise ValueError(f"hidden widths must be in 1..{MAX_WIDTH}")
    return widths


def build_model(inputs, hidden):
    widths = [inputs, *hidden, END_SCORES]
    modules = []
    for inputs, outputs in zip(widths, widths[1:]):
        if modules:
            modules.append(nn.ReLU())
        modules.append(nn.Linear(inputs, outputs))
    return nn.Sequential(*modules)


def linear_layers(model):
    return [module for module in model if isinstance(module, nn.Linear)]
