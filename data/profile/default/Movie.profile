<?xml version="1.0" encoding="utf-8"?>
<!-- Built-in profile "Movie": surround on every output, dialogue clarity where the output has it (the
     headphones). -->
<Profile Name="UserDefine">
  <Endpoint Name="Speakers" DataFlow="Out">
    <ApoEffect Name="SpeakerEQ">
      <Property Name="Enable_EQ_GFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider1" Value="3" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider2" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider3" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider4" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider5" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider6" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider7" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider8" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider9" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider10" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="SpeakerVimoSurroundSpeakers">
      <Property Name="Enable_KESTAL_HPSPK_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_USEHP" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_SFX" Value="60" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_SPKANGLE" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="SpeakerVimoSmartVolume">
      <Property Name="Enable_ADAPTIVEVOLUME_GFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="ADAPTIVEVOLUME_LEVEL" Value="60" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="ADAPTIVEVOLUME_MODE" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
  </Endpoint>
  <Endpoint Name="Headphone" DataFlow="Out">
    <ApoEffect Name="HeadPhoneEQ">
      <Property Name="Enable_EQ_GFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider1" Value="3" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider2" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider3" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider4" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider5" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider6" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider7" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider8" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider9" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="EQ_Slider10" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="HeadPhoneVimoSurroundHeadPhone">
      <Property Name="Enable_KESTAL_HPSPK_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_USEHP" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_ROOMSIZE" Value="2" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="KESTAL_HPSPK_MODE" Value="0" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
    <ApoEffect Name="HeadPhoneVimoVoiceClarity">
      <Property Name="Enable_VOICECLARITY_LFX" Value="1" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VOICECLARITY_LEVEL" Value="6" UIName="" ValueType="" Args="" ArgsType="" />
      <Property Name="VOICECLARITY_NOISESUPP_LEVEL" Value="4" UIName="" ValueType="" Args="" ArgsType="" />
    </ApoEffect>
  </Endpoint>
</Profile>
