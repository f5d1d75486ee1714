import os

import pytest
from hypothesis import HealthCheck, settings

import tamri

# Under the sanitizers every call is several times slower: fewer examples, no deadline.
settings.register_profile("default", max_examples=200, deadline=None)
settings.register_profile(
    "sanitized", max_examples=40, deadline=None, suppress_health_check=[HealthCheck.too_slow]
)
settings.load_profile("sanitized" if os.environ.get("TAMRI_SANITIZED") else "default")


@pytest.fixture
def tamri_error():
    """Calls a function that must raise TamriError and gives back the error's (code, message, location)."""

    def capture(function, *args, **kwargs):
        with pytest.raises(tamri.TamriError) as raised:
            function(*args, **kwargs)
        error = raised.value
        assert error.args == (error.message,)
        return error.code, error.message, error.location

    return capture
